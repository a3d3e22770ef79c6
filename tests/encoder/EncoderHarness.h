// Loads loomcast.dll the way an outside program would (by path, exports by
// their decorated names) and builds 8-bit DIBs for the encoder tests.
#pragma once

#include "GifEncoder.h"
#include "TestSupport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace encodertest {

struct Exports
{
    PFN_GifWriteFileHeader fileHeader = nullptr;
    PFN_GifWriteImageHeader imageHeader = nullptr;
    PFN_GifWriteImage image = nullptr;
    PFN_GifWriteFileTerminator terminator = nullptr;

    // Loaded once per test program; null members when something is missing.
    static const Exports& Get()
    {
        static Exports exports = Load();
        return exports;
    }

private:
    static Exports Load()
    {
        Exports e;
        HMODULE dll = ::LoadLibraryA(testsupport::EnvPath("LOOMCAST_DLL").c_str());
        if (dll == nullptr)
            return e;
        using testsupport::ProcAddress;
        e.fileHeader = ProcAddress<PFN_GifWriteFileHeader>(dll, "_GifWriteFileHeader@12");
        e.imageHeader = ProcAddress<PFN_GifWriteImageHeader>(dll, "_GifWriteImageHeader@12");
        e.image = ProcAddress<PFN_GifWriteImage>(dll, "_GifWriteImage@12");
        e.terminator = ProcAddress<PFN_GifWriteFileTerminator>(dll, "_GifWriteFileTerminator@4");
        return e;
    }
};

// A BITMAPINFO with a 256-entry table and its pixel rows.
struct Dib
{
    std::vector<uint8_t> info;      // header + colour table
    std::vector<uint8_t> bits;      // rows padded to 4 bytes

    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(info.data()); }
    BITMAPINFOHEADER* Header() { return &Info()->bmiHeader; }
};

// Builds a DIB from top-row-first pixels; bottom-up unless topDown.
inline Dib MakeDib(const std::vector<uint8_t>& pixels, int width, int height,
                   const std::vector<uint8_t>& rgb, bool topDown = false)
{
    Dib dib;
    dib.info.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFOHEADER* h = dib.Header();
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = topDown ? -height : height;
    h->biPlanes = 1;
    h->biBitCount = 8;
    h->biCompression = BI_RGB;
    RGBQUAD* colours = dib.Info()->bmiColors;
    for (size_t i = 0; i < 256 && 3 * i + 2 < rgb.size(); ++i) {
        colours[i].rgbRed = rgb[3 * i];
        colours[i].rgbGreen = rgb[3 * i + 1];
        colours[i].rgbBlue = rgb[3 * i + 2];
    }
    const size_t stride = (static_cast<size_t>(width) + 3) & ~size_t(3);
    dib.bits.assign(stride * height, 0xEE);    // padding bytes must not leak into the image
    for (int y = 0; y < height; ++y) {
        const int row = topDown ? y : height - 1 - y;
        std::copy(pixels.begin() + static_cast<size_t>(y) * width,
                  pixels.begin() + static_cast<size_t>(y + 1) * width,
                  dib.bits.begin() + row * stride);
    }
    h->biSizeImage = static_cast<DWORD>(dib.bits.size());
    return dib;
}

inline GifWriteOptions Options(BOOL transparent, WORD index, BOOL loop, WORD loopCount, WORD delay)
{
    GifWriteOptions o = {};
    o.bTransparent = transparent;
    o.wTransparentIndex = index;
    o.bLoop = loop;
    o.wLoopCount = loopCount;
    o.wDelay = delay;
    return o;
}

// Runs `write` on a new scratch file and returns what it wrote.
inline std::vector<uint8_t> Written(const std::string& name,
                                    const std::function<void(HANDLE)>& write)
{
    const std::string path = testsupport::WorkPath(name);
    {
        testsupport::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_ALWAYS, 0, nullptr));
        if (!file.Valid())
            return {};
        write(file.Get());
    }
    std::vector<uint8_t> bytes = testsupport::ReadFileBytes(path);
    ::DeleteFileA(path.c_str());
    return bytes;
}

} // namespace encodertest
