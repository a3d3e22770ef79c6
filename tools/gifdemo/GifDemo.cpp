// Writes a short looping animation the way any Video for Windows program
// would: through AVIFile, which hands a .gif name to the installed GIF
// handler. The demonstration the run script gives until the program is there.
#include "IGifStreamOptions.h"
#include "SyntheticFrames.h"

#include <windows.h>
#include <vfw.h>

#include <cstdio>
#include <vector>

namespace {

const int kWidth = 320, kHeight = 240, kFrames = 40, kFramesPerSecond = 12;

// The 8-bit format of every frame: header and 256 colours.
struct Format
{
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

Format MakeFormat()
{
    Format f = {};
    f.header.biSize = sizeof(BITMAPINFOHEADER);
    f.header.biWidth = kWidth;
    f.header.biHeight = kHeight;
    f.header.biPlanes = 1;
    f.header.biBitCount = 8;
    f.header.biCompression = BI_RGB;
    f.header.biSizeImage = kWidth * kHeight;        // 320 needs no row padding
    const std::vector<uint8_t> rgb = synth::Palette();
    for (int i = 0; i < 256; ++i) {
        f.colours[i].rgbRed = rgb[3 * i];
        f.colours[i].rgbGreen = rgb[3 * i + 1];
        f.colours[i].rgbBlue = rgb[3 * i + 2];
    }
    return f;
}

// Bottom-up rows from the top-row-first picture.
std::vector<BYTE> BottomUp(const std::vector<uint8_t>& picture)
{
    std::vector<BYTE> rows(picture.size());
    for (int y = 0; y < kHeight; ++y)
        std::copy(picture.begin() + y * kWidth, picture.begin() + (y + 1) * kWidth,
                  rows.begin() + (kHeight - 1 - y) * kWidth);
    return rows;
}

HRESULT WriteAnimation(PAVISTREAM stream)
{
    IGifStreamOptions* options = nullptr;
    if (SUCCEEDED(stream->QueryInterface(IID_IGifStreamOptions, reinterpret_cast<void**>(&options)))) {
        options->SetLoopCount(0);       // repeat for ever
        options->Release();
    }
    Format format = MakeFormat();
    HRESULT hr = ::AVIStreamSetFormat(stream, 0, &format, sizeof format);
    for (int n = 0; n < kFrames && hr == S_OK; ++n) {
        std::vector<BYTE> rows = BottomUp(synth::Make(synth::Content::Natural, kWidth, kHeight, n));
        hr = ::AVIStreamWrite(stream, n, 1, rows.data(), static_cast<LONG>(rows.size()),
                              AVIIF_KEYFRAME, nullptr, nullptr);
    }
    return hr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gifdemo <output.gif>\n");
        return 2;
    }
    const char* path = argv[1];
    ::DeleteFileA(path);
    ::AVIFileInit();
    PAVIFILE file = nullptr;
    HRESULT hr = ::AVIFileOpenA(&file, path, OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr);
    if (hr == S_OK) {
        AVISTREAMINFOA info = {};
        info.fccType = streamtypeVIDEO;
        info.dwScale = 1;
        info.dwRate = kFramesPerSecond;
        info.dwQuality = static_cast<DWORD>(-1);
        ::SetRect(&info.rcFrame, 0, 0, kWidth, kHeight);
        PAVISTREAM stream = nullptr;
        hr = ::AVIFileCreateStream(file, &stream, &info);
        if (hr == S_OK) {
            hr = WriteAnimation(stream);
            ::AVIStreamRelease(stream);
        }
        ::AVIFileRelease(file);         // the last release completes the file
    }
    ::AVIFileExit();
    if (hr != S_OK) {
        std::fprintf(stderr, "gifdemo: writing %s through AVIFile failed (0x%08lX); "
                             "is the GIF handler installed?\n", path, static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("gifdemo: wrote %d frames of %dx%d at %d per second to %s\n", kFrames, kWidth,
                kHeight, kFramesPerSecond, path);
    return 0;
}
