// Encoder benchmark, Windows side: loads loomcast.dll the way an outside
// program would (LoadLibraryA, GetProcAddress by the decorated export names)
// and times GifWriteImageHeader + GifWriteImage over 100 prepared frames per
// case, writing to a local file opened with CreateFileA.
//
//   loomcast_bench.exe [runs] [loomcast.dll path] [output folder]
//
// Paths may be given in Unix form ("/tmp/x" is used as "Z:\tmp\x"). Without a
// folder the output goes to the Windows temporary folder, which in a Wine
// prefix lies under its drive_c. Prints the lines described in BenchCases.h,
// preceded by "output loomcast <folder>".
#include "BenchCases.h"
#include "GifEncoder.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path)
            if (c == '/')
                c = '\\';
    }
    return path;
}

// GetProcAddress's result as the export's own function type (through void*,
// which keeps -Wcast-function-type quiet).
template <typename F>
F Export(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

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
        fileHeader = Export<PFN_GifWriteFileHeader>(module, "_GifWriteFileHeader@12");
        imageHeader = Export<PFN_GifWriteImageHeader>(module, "_GifWriteImageHeader@12");
        image = Export<PFN_GifWriteImage>(module, "_GifWriteImage@12");
        terminator = Export<PFN_GifWriteFileTerminator>(module, "_GifWriteFileTerminator@4");
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

// A top-down synth picture as bottom-up rows padded to 4 bytes.
std::vector<BYTE> BottomUp(const std::vector<uint8_t>& topDown, int width, int height)
{
    const size_t stride = (static_cast<size_t>(width) + 3) & ~size_t(3);
    std::vector<BYTE> dib(stride * height, 0);
    for (int y = 0; y < height; ++y)
        ::CopyMemory(&dib[stride * (height - 1 - y)], &topDown[static_cast<size_t>(y) * width],
                     width);
    return dib;
}

// One timed run: the whole file is written, only the images are timed.
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

} // namespace

int main(int argc, char** argv)
{
    const int runs = bench::RunsFromArgs(argc, argv);
    const char* envDll = ::getenv("LOOMCAST_DLL");
    const std::string dllPath =
        WindowsPath(argc > 2 ? argv[2] : envDll != nullptr ? envDll : "loomcast.dll");
    std::string folder;
    if (argc > 3) {
        folder = WindowsPath(argv[3]);
    } else {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        folder = temp;
    }
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';

    Encoder enc;
    if (!enc.Load(dllPath)) {
        std::fprintf(stderr, "loomcast_bench: cannot load the GIF writers from %s\n",
                     dllPath.c_str());
        return 1;
    }
    std::printf("output loomcast %s\n", folder.c_str());

    for (const bench::Case& c : bench::kCases) {
        std::vector<std::vector<uint8_t>> frames;
        std::vector<std::vector<BYTE>> dibs;
        for (int i = 0; i < bench::kFrames; ++i) {
            frames.push_back(synth::Make(c.content, c.width, c.height, i));
            dibs.push_back(BottomUp(frames.back(), c.width, c.height));
        }
        const uint32_t checksum = bench::Checksum(frames);
        frames.clear();

        const DibFormat format = MakeFormat(c.width, c.height);
        const std::string path = folder + "loomcast-" + synth::ContentName(c.content) + "-"
                                 + std::to_string(c.width) + "x" + std::to_string(c.height)
                                 + ".gif";
        std::vector<double> seconds;
        unsigned long long bytes = 0;
        for (int r = 0; r < runs; ++r) {
            const double s = EncodeOnce(enc, path, format, dibs, bytes);
            if (s < 0) {
                std::fprintf(stderr, "loomcast_bench: writing %s failed\n", path.c_str());
                return 1;
            }
            seconds.push_back(s);
        }
        bench::PrintResult("loomcast", c, seconds, bytes, checksum);
    }
    return 0;
}
