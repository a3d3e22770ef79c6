// The movies that make_movies.py writes at test time, and the source
// pictures of the 8-bit ones.
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace moviefiles {

// A file in the folder of generated movies (MOVIE_DIR), as a Windows path.
std::string Path(const std::string& name);

// Copies a file within the movie folder, for tests that remove or damage it.
bool Copy(const std::string& from, const std::string& to);

// The pictures an 8-bit movie was made from (<stem>.frames).
struct SourceFrames
{
    int nWidth = 0, nHeight = 0, nCount = 0;
    std::vector<uint8_t> palette;       // 256 red, green, blue triples
    std::vector<uint8_t> pixels;        // colour indices, top row first, frame after frame

    const uint8_t* Frame(int n) const { return &pixels[static_cast<size_t>(n) * nWidth * nHeight]; }
};
bool LoadSourceFrames(const std::string& stem, SourceFrames& frames);

// Pulls the colour index at (x, y), y counted from the top, out of a DIB's
// rows stored bottom row first with 4-byte row alignment.
uint8_t BottomUpPixel(const uint8_t* pRows, int nWidth, int nHeight, int x, int y);

} // namespace moviefiles
