// Paths and source pictures of the generated movies.
#include "MovieFiles.h"

#include "TestSupport.h"

#include <cstring>

namespace moviefiles {

std::string Path(const std::string& name)
{
    return testsupport::EnvPath("MOVIE_DIR") + "\\" + name;
}

bool Copy(const std::string& from, const std::string& to)
{
    return ::CopyFileA(Path(from).c_str(), Path(to).c_str(), FALSE) != FALSE;
}

bool LoadSourceFrames(const std::string& stem, SourceFrames& frames)
{
    const std::vector<BYTE> bytes = testsupport::ReadFileBytes(Path(stem + ".frames"));
    if (bytes.size() < 12 + 768)
        return false;
    uint32_t header[3];
    std::memcpy(header, bytes.data(), sizeof(header));
    frames.nWidth = static_cast<int>(header[0]);
    frames.nHeight = static_cast<int>(header[1]);
    frames.nCount = static_cast<int>(header[2]);
    const size_t nPixels = static_cast<size_t>(frames.nWidth) * frames.nHeight * frames.nCount;
    if (bytes.size() != 12 + 768 + nPixels)
        return false;
    frames.palette.assign(bytes.begin() + 12, bytes.begin() + 12 + 768);
    frames.pixels.assign(bytes.begin() + 12 + 768, bytes.end());
    return true;
}

uint8_t BottomUpPixel(const uint8_t* pRows, int nWidth, int nHeight, int x, int y)
{
    const size_t nStride = (static_cast<size_t>(nWidth) + 3) & ~static_cast<size_t>(3);
    return pRows[static_cast<size_t>(nHeight - 1 - y) * nStride + x];
}

} // namespace moviefiles
