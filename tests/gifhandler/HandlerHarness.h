// Shared by the GIF handler tests: loomcast.dll's server entry points loaded
// by path, 8-bit formats and sample rows, and a small independent reader of
// GIF block structure to check what the handler wrote.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <vfw.h>

#include <cstdint>
#include <string>
#include <vector>

#include "IGifStreamOptions.h"
#include "TestSupport.h"

namespace handlertest {

typedef HRESULT (STDAPICALLTYPE* PFN_DllGetClassObject)(REFCLSID, REFIID, void**);
typedef HRESULT (STDAPICALLTYPE* PFN_DllCanUnloadNow)();
typedef HRESULT (STDAPICALLTYPE* PFN_DllRegisterServer)();

// The server entry points of one loaded copy of the library.
struct Server
{
    HMODULE module = nullptr;
    PFN_DllGetClassObject getClassObject = nullptr;
    PFN_DllCanUnloadNow canUnloadNow = nullptr;
    PFN_DllRegisterServer registerServer = nullptr;
    PFN_DllRegisterServer unregisterServer = nullptr;

    static Server Load(const std::string& path)
    {
        Server s;
        s.module = ::LoadLibraryA(path.c_str());
        if (s.module == nullptr)
            return s;
        using testsupport::ProcAddress;
        s.getClassObject = ProcAddress<PFN_DllGetClassObject>(s.module, "DllGetClassObject");
        s.canUnloadNow = ProcAddress<PFN_DllCanUnloadNow>(s.module, "DllCanUnloadNow");
        s.registerServer = ProcAddress<PFN_DllRegisterServer>(s.module, "DllRegisterServer");
        s.unregisterServer = ProcAddress<PFN_DllRegisterServer>(s.module, "DllUnregisterServer");
        return s;
    }

    // The build's loomcast.dll, loaded once per test program.
    static const Server& Get()
    {
        static Server server = Load(testsupport::EnvPath("LOOMCAST_DLL"));
        return server;
    }

    bool Complete() const
    {
        return getClassObject && canUnloadNow && registerServer && unregisterServer;
    }
};

// The reference count an interface has after one more AddRef/Release pair.
inline ULONG RefCount(IUnknown* p)
{
    p->AddRef();
    return p->Release();
}

// An 8-bit format: BITMAPINFOHEADER and a 256-entry table whose entry i is
// (red i, green 255 - i, blue i / 2), so that a table read from the wrong
// format shows.
inline std::vector<BYTE> MakeFormat(LONG width, LONG height, WORD bitCount = 8, BYTE seed = 0)
{
    std::vector<BYTE> format(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = bitCount;
    h->biCompression = BI_RGB;
    RGBQUAD* colours = reinterpret_cast<RGBQUAD*>(format.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i) {
        colours[i].rgbRed = static_cast<BYTE>(i + seed);
        colours[i].rgbGreen = static_cast<BYTE>(255 - i);
        colours[i].rgbBlue = static_cast<BYTE>(i / 2 + seed);
    }
    return format;
}

inline DWORD Stride(LONG width) { return (static_cast<DWORD>(width) + 3) & ~3u; }

// A flat picture of one colour index in rows of the given size.
inline std::vector<BYTE> FlatRows(LONG width, LONG height, BYTE index)
{
    return std::vector<BYTE>(static_cast<size_t>(Stride(width)) * height, index);
}

// Sample rows for a picture given top row first: padded to 4 bytes, bottom
// row first unless topDown; padding bytes are 0xEE so that they would show.
inline std::vector<BYTE> MakeRows(const std::vector<uint8_t>& pixels, LONG width, LONG height,
                                  bool topDown = false)
{
    const DWORD stride = Stride(width);
    std::vector<BYTE> rows(static_cast<size_t>(stride) * height, 0xEE);
    for (LONG y = 0; y < height; ++y) {
        const LONG row = topDown ? y : height - 1 - y;
        for (LONG x = 0; x < width; ++x)
            rows[static_cast<size_t>(row) * stride + x] = pixels[static_cast<size_t>(y) * width + x];
    }
    return rows;
}

inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// What the block structure of a GIF file says, read without the encoder.
struct GifImage
{
    bool hasControl = false;
    BYTE controlPacked = 0;
    WORD delay = 0;
    BYTE transparentIndex = 0;
    WORD left = 0, top = 0, width = 0, height = 0;
    BYTE descriptorPacked = 0;
    size_t localTable = 0;      // offset of the local colour table, if any
    size_t data = 0;            // offset of the image data (its minimum code size byte)
    size_t end = 0;             // offset just past the image's data
};

struct GifLayout
{
    bool valid = false;         // every block parsed and the trailer found last
    WORD width = 0, height = 0;
    BYTE screenPacked = 0;
    std::vector<BYTE> colours;  // global colour table, RGB triples
    bool hasLoop = false;
    WORD loopCount = 0;
    std::vector<GifImage> images;
};

inline GifLayout ReadGifLayout(const std::vector<BYTE>& b)
{
    GifLayout g;
    size_t p = 0;
    auto word = [&](size_t at) { return static_cast<WORD>(b[at] | (b[at + 1] << 8)); };
    // Skips data sub-blocks up to and including the terminator; false if cut short.
    auto skipSubBlocks = [&]() {
        while (p < b.size() && b[p] != 0)
            p += 1 + b[p];
        if (p >= b.size())
            return false;
        ++p;
        return true;
    };
    if (b.size() < 13 || std::string(b.begin(), b.begin() + 6) != "GIF89a")
        return g;
    g.width = word(6);
    g.height = word(8);
    g.screenPacked = b[10];
    p = 13;
    if (g.screenPacked & 0x80) {
        const size_t size = 3u << ((g.screenPacked & 7) + 1);
        if (p + size > b.size())
            return g;
        g.colours.assign(b.begin() + p, b.begin() + p + size);
        p += size;
    }
    GifImage pending;
    while (p < b.size()) {
        const BYTE introducer = b[p++];
        if (introducer == 0x3B) {
            g.valid = p == b.size();
            return g;
        }
        if (introducer == 0x21 && p + 1 < b.size()) {
            const BYTE label = b[p++];
            if (label == 0xF9 && p + 6 <= b.size() && b[p] == 4) {
                pending.hasControl = true;
                pending.controlPacked = b[p + 1];
                pending.delay = word(p + 2);
                pending.transparentIndex = b[p + 4];
                p += 5;
            } else if (label == 0xFF && p + 12 <= b.size() && b[p] == 11
                       && std::string(b.begin() + p + 1, b.begin() + p + 12) == "NETSCAPE2.0") {
                p += 12;
                if (p + 4 <= b.size() && b[p] == 3 && b[p + 1] == 1) {
                    g.hasLoop = true;
                    g.loopCount = word(p + 2);
                }
            }
            if (!skipSubBlocks())
                return g;
        } else if (introducer == 0x2C && p + 9 <= b.size()) {
            pending.left = word(p);
            pending.top = word(p + 2);
            pending.width = word(p + 4);
            pending.height = word(p + 6);
            pending.descriptorPacked = b[p + 8];
            p += 9;
            if (pending.descriptorPacked & 0x80) {
                pending.localTable = p;
                p += 3u << ((pending.descriptorPacked & 7) + 1);
            }
            pending.data = p;
            ++p;    // LZW minimum code size
            if (p > b.size() || !skipSubBlocks())
                return g;
            pending.end = p;
            g.images.push_back(pending);
            pending = GifImage();
        } else {
            return g;
        }
    }
    return g;
}

inline std::vector<WORD> Delays(const GifLayout& g)
{
    std::vector<WORD> delays;
    for (const GifImage& image : g.images)
        delays.push_back(image.delay);
    return delays;
}

} // namespace handlertest
