// Encoder benchmark, host side: giflib (Debian's libgif), natively, and the
// maker of the frames both benchmark programs encode.
//
//   giflib_bench frames <frames folder>
//       writes every case's frame file (see BenchCases.h) and prints
//       "frames <case> <checksum>" for each
//   giflib_bench encode <case|all> <frames folder> <output folder> [passes] [warm-up passes]
//       loads the case's frames, then encodes them [passes] times (default 1)
//       after [warm-up passes] untimed ones (default 0), and prints the result
//       line described in BenchCases.h
//
// Each pass writes a whole file in the output folder; only the images are
// timed (control extension, image descriptor, one EGifPutLine per row); the
// screen descriptor, colour table and loop extension are written before the
// clock starts.
#include "BenchCases.h"

#include <gif_lib.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <thread>
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

// One pass; returns the seconds spent on the images, negative on failure.
double EncodeOnce(const std::string& path, const bench::Case& c, const ColorMapObject* colours,
                  const bench::Frames& frames, unsigned long long& bytes)
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

// Makes one case's frames, spread over the machine's cores (the fractal
// takes seconds per case), and writes them to its frame file.
bool WriteFrames(const std::string& path, const bench::Case& c, uint32_t& checksum)
{
    bench::Frames frames(bench::kFrames);
    const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back([&frames, &c, w, workers] {
            for (size_t i = w; i < frames.size(); i += workers)
                frames[i] = synth::Make(c.content, c.width, c.height, int(i));
        });
    for (std::thread& t : threads)
        t.join();

    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = true;
    for (const auto& f : frames)
        ok = ok && std::fwrite(f.data(), 1, f.size(), file) == f.size();
    ok = std::fclose(file) == 0 && ok;
    checksum = bench::Checksum(frames);
    return ok;
}

int MakeFrames(const std::string& folder)
{
    for (const bench::Case& c : bench::kCases) {
        const std::string path = bench::InFolder(folder, bench::FrameFileName(c), '/');
        uint32_t checksum = 0;
        if (!WriteFrames(path, c, checksum)) {
            std::fprintf(stderr, "giflib_bench: writing %s failed\n", path.c_str());
            return 1;
        }
        std::printf("frames %s %08x\n", bench::CaseName(c).c_str(), unsigned(checksum));
        std::fflush(stdout);
    }
    return 0;
}

int Encode(const std::vector<bench::Case>& cases, const std::string& frameFolder,
           const std::string& outputFolder, int passes, int warmups)
{
    const std::vector<uint8_t> rgb = synth::Palette();
    GifColorType entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = GifColorType{ rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2] };
    ColorMapObject* colours = GifMakeMapObject(256, entries);
    int status = 0;

    for (const bench::Case& c : cases) {
        const std::string source = bench::InFolder(frameFolder, bench::FrameFileName(c), '/');
        bench::Frames frames;
        if (!bench::ReadFrames(source, c, frames)) {
            std::fprintf(stderr, "giflib_bench: cannot read the frames in %s\n", source.c_str());
            status = 1;
            break;
        }
        const std::string path =
            bench::InFolder(outputFolder, "giflib-" + bench::CaseName(c) + ".gif", '/');
        std::vector<double> seconds;
        unsigned long long bytes = 0;
        for (int r = 0; r < warmups + passes; ++r) {
            const double s = EncodeOnce(path, c, colours, frames, bytes);
            if (s < 0) {
                std::fprintf(stderr, "giflib_bench: writing %s failed\n", path.c_str());
                status = 1;
                break;
            }
            if (r >= warmups)
                seconds.push_back(s);
        }
        if (status != 0)
            break;
        bench::PrintResult("giflib", c, seconds, bytes, bench::Checksum(frames));
    }
    GifFreeMapObject(colours);
    return status;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: giflib_bench frames <frames folder>\n"
                 "       giflib_bench encode <case|all> <frames folder> <output folder>"
                 " [passes] [warm-up passes]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "frames" && argc == 3)
        return MakeFrames(argv[2]);
    if (command != "encode" || argc < 5 || argc > 7)
        return Usage();
    const std::vector<bench::Case> cases = bench::SelectCases(argv[2]);
    if (cases.empty()) {
        std::fprintf(stderr, "giflib_bench: no case named %s\n", argv[2]);
        return 2;
    }
    return Encode(cases, argv[3], argv[4], bench::CountFromArg(argc > 5 ? argv[5] : nullptr, 1),
                  argc > 6 ? std::max(0, std::atoi(argv[6])) : 0);
}
