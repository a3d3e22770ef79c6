// Encoder benchmark, host side: the same frames as loomcast_bench encoded by
// giflib (Debian's libgif), natively. Each run writes a whole file in the
// output folder; only the images are timed (control extension, image
// descriptor, one EGifPutLine per row), the screen descriptor, colour table
// and loop extension are written before the clock starts.
//
//   giflib_bench [runs] [output folder, default /tmp]
//
// Prints the lines described in BenchCases.h, preceded by
// "output giflib <folder>".
#include "BenchCases.h"

#include <gif_lib.h>
#include <sys/stat.h>
#include <time.h>

#include <string>
#include <vector>

namespace {

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

bool PutLoopExtension(GifFileType* gif)
{
    static const GifByteType kLoop[3] = { 1, 0, 0 };   // repeat forever
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK
           && EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK
           && EGifPutExtensionBlock(gif, 3, kLoop) == GIF_OK
           && EGifPutExtensionTrailer(gif) == GIF_OK;
}

// One timed run; returns the seconds spent on the images, negative on failure.
double EncodeOnce(const std::string& path, const bench::Case& c, const ColorMapObject* colours,
                  const std::vector<std::vector<uint8_t>>& frames, unsigned long long& bytes)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (gif == nullptr)
        return -1;
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, c.width, c.height, 8, 0, colours) == GIF_OK
              && PutLoopExtension(gif);

    GraphicsControlBlock gcb = {};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = bench::kDelay;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType control[4];
    const size_t controlSize = EGifGCBToExtension(&gcb, control);

    const double start = Now();
    for (size_t i = 0; ok && i < frames.size(); ++i) {
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(controlSize), control) == GIF_OK
             && EGifPutImageDesc(gif, 0, 0, c.width, c.height, false, nullptr) == GIF_OK;
        GifPixelType* row = const_cast<GifPixelType*>(frames[i].data());
        for (int y = 0; ok && y < c.height; ++y, row += c.width)
            ok = EGifPutLine(gif, row, c.width) == GIF_OK;
    }
    const double stop = Now();

    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    struct stat st;
    ok = ok && stat(path.c_str(), &st) == 0;
    bytes = ok ? static_cast<unsigned long long>(st.st_size) : 0;
    return ok ? stop - start : -1;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::RunsFromArgs(argc, argv);
    std::string folder = argc > 2 ? argv[2] : "/tmp";
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    std::printf("output giflib %s\n", folder.c_str());

    const std::vector<uint8_t> rgb = synth::Palette();
    GifColorType entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = GifColorType{ rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2] };
    ColorMapObject* colours = GifMakeMapObject(256, entries);

    for (const bench::Case& c : bench::kCases) {
        std::vector<std::vector<uint8_t>> frames;
        for (int i = 0; i < bench::kFrames; ++i)
            frames.push_back(synth::Make(c.content, c.width, c.height, i));

        const std::string path = folder + "giflib-" + synth::ContentName(c.content) + "-"
                                 + std::to_string(c.width) + "x" + std::to_string(c.height)
                                 + ".gif";
        std::vector<double> seconds;
        unsigned long long bytes = 0;
        for (int r = 0; r < runs; ++r) {
            const double s = EncodeOnce(path, c, colours, frames, bytes);
            if (s < 0) {
                std::fprintf(stderr, "giflib_bench: writing %s failed\n", path.c_str());
                return 1;
            }
            seconds.push_back(s);
        }
        bench::PrintResult("giflib", c, seconds, bytes, bench::Checksum(frames));
    }
    GifFreeMapObject(colours);
    return 0;
}
