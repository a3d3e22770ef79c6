// Encoder benchmark, Windows side: loads loomcast.dll the way an outside
// program would (LoadLibraryA, GetProcAddress by the decorated export names)
// and times GifWriteImageHeader + GifWriteImage over one case's 100 frames,
// held in memory as bottom-up 8-bit DIBs with padded rows, writing to a local
// file opened with CreateFileA.
//
//   loomcast_bench.exe <case|all> <frames folder> <output folder> [passes] [warm-up passes]
//
// The frames come from the files "giflib_bench frames" writes (BenchCases.h).
// Each pass writes a whole file; [passes] timed ones (default 1) follow
// [warm-up passes] untimed ones (default 0). The DLL is LOOMCAST_DLL, else
// loomcast.dll. Paths may be given in Unix form ("/tmp/x" is used as
// "Z:\tmp\x"). Prints the result lines described in BenchCases.h.
#include "BenchCases.h"
#include "GifEncoder.h"
#include "TestSupport.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

using testsupport::WindowsPath;

struct Encoder
{
    PFN_GifWriteFileHeader fileHeader;
    PFN_GifWriteImageHeader imageHeader;
    PFN_GifWriteImage image;
    PFN_GifWriteFileTerminator terminator;

    bool Load(const std::string& dllPath)
    {
        HMODULE module = ::LoadLibraryA(dllPath.c_str());
        if (module == nullptr)
            return false;
        fileHeader = testsupport::ProcAddress<PFN_GifWriteFileHeader>(module, "_GifWriteFileHeader@12");
        imageHeader = testsupport::ProcAddress<PFN_GifWriteImageHeader>(module, "_GifWriteImageHeader@12");
        image = testsupport::ProcAddress<PFN_GifWriteImage>(module, "_GifWriteImage@12");
        terminator = testsupport::ProcAddress<PFN_GifWriteFileTerminator>(module, "_GifWriteFileTerminator@4");
        return fileHeader && imageHeader && image && terminator;
    }
};

// An 8-bit DIB header with its 256-entry colour table.
struct DibFormat
{
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

DibFormat MakeFormat(int width, int height)
{
    DibFormat f = {};
    f.header.biSize = sizeof(BITMAPINFOHEADER);
    f.header.biWidth = width;
    f.header.biHeight = height;        // positive: bottom-up rows
    f.header.biPlanes = 1;
    f.header.biBitCount = 8;
    f.header.biCompression = BI_RGB;
    const std::vector<uint8_t> rgb = synth::Palette();
    for (int i = 0; i < 256; ++i) {
        f.colours[i].rgbRed = rgb[3 * i + 0];
        f.colours[i].rgbGreen = rgb[3 * i + 1];
        f.colours[i].rgbBlue = rgb[3 * i + 2];
    }
    return f;
}

size_t Stride(int width)
{
    return (static_cast<size_t>(width) + 3) & ~size_t(3);
}

// A top-down picture as bottom-up rows padded to 4 bytes.
std::vector<BYTE> BottomUp(const std::vector<uint8_t>& topDown, int width, int height)
{
    const size_t stride = Stride(width);
    std::vector<BYTE> dib(stride * height, 0);
    for (int y = 0; y < height; ++y)
        ::CopyMemory(&dib[stride * (height - 1 - y)], &topDown[static_cast<size_t>(y) * width],
                     width);
    return dib;
}

// The checksum of BenchCases.h over what the encoder is given: the DIBs' rows
// top first, without their padding.
uint32_t DibChecksum(const std::vector<std::vector<BYTE>>& dibs, int width, int height)
{
    const size_t stride = Stride(width);
    uint32_t h = bench::kChecksumStart;
    for (const auto& dib : dibs)
        for (int y = height - 1; y >= 0; --y)
            h = bench::Fnv1a(h, &dib[stride * y], width);
    return h;
}

// One pass: the whole file is written, only the images are timed.
// Returns the seconds spent, or a negative number on failure.
double EncodeOnce(const Encoder& enc, const std::string& path, const DibFormat& format,
                  const std::vector<std::vector<BYTE>>& dibs, unsigned long long& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    GifWriteOptions options = {};
    options.bLoop = TRUE;
    options.wDelay = bench::kDelay;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(&format);
    bool ok = enc.fileHeader(file, info, &options) != FALSE;

    LARGE_INTEGER frequency, start, stop;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (size_t i = 0; ok && i < dibs.size(); ++i)
        ok = enc.imageHeader(file, &format.header, &options)
             && enc.image(file, &format.header, dibs[i].data());
    ::QueryPerformanceCounter(&stop);

    ok = ok && enc.terminator(file);
    LARGE_INTEGER size = {};
    ok = ok && ::GetFileSizeEx(file, &size);
    ::CloseHandle(file);
    bytes = static_cast<unsigned long long>(size.QuadPart);
    if (!ok)
        return -1;
    return double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// Times the given cases; returns the process's exit status.
int Encode(const Encoder& enc, const std::vector<bench::Case>& cases,
           const std::string& frameFolder, const std::string& outputFolder, int passes,
           int warmups)
{
    for (const bench::Case& c : cases) {
        const std::string source = bench::InFolder(frameFolder, bench::FrameFileName(c), '\\');
        std::vector<std::vector<BYTE>> dibs;
        {
            bench::Frames frames;
            if (!bench::ReadFrames(source, c, frames)) {
                std::fprintf(stderr, "loomcast_bench: cannot read the frames in %s\n",
                             source.c_str());
                return 1;
            }
            for (const auto& f : frames)
                dibs.push_back(BottomUp(f, c.width, c.height));
        }
        const uint32_t checksum = DibChecksum(dibs, c.width, c.height);

        const DibFormat format = MakeFormat(c.width, c.height);
        const std::string path =
            bench::InFolder(outputFolder, "loomcast-" + bench::CaseName(c) + ".gif", '\\');
        std::vector<double> seconds;
        unsigned long long bytes = 0;
        for (int r = 0; r < warmups + passes; ++r) {
            const double s = EncodeOnce(enc, path, format, dibs, bytes);
            if (s < 0) {
                std::fprintf(stderr, "loomcast_bench: writing %s failed\n", path.c_str());
                return 1;
            }
            if (r >= warmups)
                seconds.push_back(s);
        }
        bench::PrintResult("loomcast", c, seconds, bytes, checksum);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 6) {
        std::fprintf(stderr, "usage: loomcast_bench.exe <case|all> <frames folder>"
                             " <output folder> [passes] [warm-up passes]\n");
        return 2;
    }
    const std::vector<bench::Case> cases = bench::SelectCases(argv[1]);
    if (cases.empty()) {
        std::fprintf(stderr, "loomcast_bench: no case named %s\n", argv[1]);
        return 2;
    }
    const char* envDll = ::getenv("LOOMCAST_DLL");
    const std::string dllPath = WindowsPath(envDll != nullptr ? envDll : "loomcast.dll");
    Encoder enc;
    if (!enc.Load(dllPath)) {
        std::fprintf(stderr, "loomcast_bench: cannot load the GIF writers from %s\n",
                     dllPath.c_str());
        return 1;
    }
    return Encode(enc, cases, WindowsPath(argv[2]), WindowsPath(argv[3]),
                  bench::CountFromArg(argc > 4 ? argv[4] : nullptr, 1),
                  argc > 5 ? std::max(0, std::atoi(argv[5])) : 0);
}
