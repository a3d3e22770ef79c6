// Writes a short looping animation through loomcast.dll's GIF writers: the
// demonstration the run script gives until the program itself is there.
#include "GifEncoder.h"
#include "SyntheticFrames.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

template <typename Fn>
Fn Export(HMODULE dll, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: gifdemo <loomcast.dll> <output.gif>\n");
        return 2;
    }
    HMODULE dll = ::LoadLibraryA(argv[1]);
    if (dll == nullptr) {
        std::fprintf(stderr, "gifdemo: cannot load %s\n", argv[1]);
        return 1;
    }
    auto fileHeader = Export<PFN_GifWriteFileHeader>(dll, "_GifWriteFileHeader@12");
    auto imageHeader = Export<PFN_GifWriteImageHeader>(dll, "_GifWriteImageHeader@12");
    auto image = Export<PFN_GifWriteImage>(dll, "_GifWriteImage@12");
    auto terminator = Export<PFN_GifWriteFileTerminator>(dll, "_GifWriteFileTerminator@4");
    if (!fileHeader || !imageHeader || !image || !terminator) {
        std::fprintf(stderr, "gifdemo: %s lacks the GIF writer exports\n", argv[1]);
        ::FreeLibrary(dll);
        return 1;
    }

    const int width = 320, height = 240, frames = 40;
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = width;
    bmi->bmiHeader.biHeight = -height;          // rows top row first, as made
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = 8;
    const std::vector<uint8_t> rgb = synth::Palette();
    for (int i = 0; i < 256; ++i) {
        bmi->bmiColors[i].rgbRed = rgb[3 * i];
        bmi->bmiColors[i].rgbGreen = rgb[3 * i + 1];
        bmi->bmiColors[i].rgbBlue = rgb[3 * i + 2];
    }

    HANDLE file = ::CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "gifdemo: cannot create %s\n", argv[2]);
        ::FreeLibrary(dll);
        return 1;
    }
    GifWriteOptions options = {};
    options.bLoop = TRUE;
    options.wDelay = 8;
    bool ok = fileHeader(file, bmi, &options);
    for (int n = 0; n < frames && ok; ++n) {
        const std::vector<uint8_t> pixels = synth::Make(synth::Content::Natural, width, height, n);
        ok = imageHeader(file, &bmi->bmiHeader, &options)
             && image(file, &bmi->bmiHeader, pixels.data());   // width 320 needs no row padding
    }
    ok = ok && terminator(file);
    ::CloseHandle(file);
    ::FreeLibrary(dll);
    if (!ok) {
        std::fprintf(stderr, "gifdemo: writing %s failed\n", argv[2]);
        ::DeleteFileA(argv[2]);
        return 1;
    }
    std::printf("gifdemo: wrote %d frames of %dx%d to %s\n", frames, width, height, argv[2]);
    return 0;
}
