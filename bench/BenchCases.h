// What the encoder benchmark measures, shared by its Windows program (loomcast
// under Wine) and its host program (giflib), so that both encode the same
// frames and report them in the same form.
//
// The frames of each case are made once per benchmark run by the host
// program ("giflib_bench frames") and kept as raw files, which both programs
// load into memory before any clock starts: generating them (the fractal
// above all) takes far longer than encoding them, and one generator means
// both encoders get the same bytes.
//
// Frame file: <folder>/<case>.frames, kFrames pictures of width * height
// colour indices each, top row first, no row padding, nothing else.
//
// Each program prints one machine-readable line per case it times:
//   result <encoder> <content> <width>x<height> <frames> <median seconds>
//          <median MPix/s> <output bytes> <frame checksum> <best MPix/s>
// tools/bench.sh runs the two programs alternately, one case and one pass at
// a time, and joins their lines into one table.
#pragma once

#include "SyntheticFrames.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

struct Case
{
    synth::Content content;
    int width;
    int height;
};

const Case kCases[] = {
    { synth::Content::Natural, 640, 480 },
    { synth::Content::Natural, 320, 240 },
    { synth::Content::Fractal, 640, 480 },
    { synth::Content::Fractal, 320, 240 },
    { synth::Content::Noise,   640, 480 },
    { synth::Content::Noise,   320, 240 },
};

const int kFrames = 100;
const unsigned kDelay = 10;        // hundredths of a second, in every control extension

using Frames = std::vector<std::vector<uint8_t>>;

// "natural-640x480": how cases are named on command lines and in file names.
inline std::string CaseName(const Case& c)
{
    return std::string(synth::ContentName(c.content)) + "-" + std::to_string(c.width) + "x"
           + std::to_string(c.height);
}

// The cases a command-line word selects: one case by name, or "all".
inline std::vector<Case> SelectCases(const char* word)
{
    std::vector<Case> selected;
    for (const Case& c : kCases)
        if (std::strcmp(word, "all") == 0 || CaseName(c) == word)
            selected.push_back(c);
    return selected;
}

// A positive count from a command-line word, or the fallback.
inline int CountFromArg(const char* word, int fallback)
{
    const int n = word != nullptr ? std::atoi(word) : 0;
    return n > 0 ? n : fallback;
}

// Joins a folder and a file name with the given separator.
inline std::string InFolder(std::string folder, const std::string& name, char separator)
{
    if (!folder.empty() && folder.back() != separator && folder.back() != '/')
        folder += separator;
    return folder + name;
}

inline std::string FrameFileName(const Case& c)
{
    return CaseName(c) + ".frames";
}

// Loads a case's frame file; false when it is missing or of the wrong size.
inline bool ReadFrames(const std::string& path, const Case& c, Frames& frames)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    const size_t size = static_cast<size_t>(c.width) * c.height;
    frames.assign(kFrames, std::vector<uint8_t>(size));
    bool ok = true;
    for (auto& f : frames)
        ok = ok && std::fread(f.data(), 1, size, file) == size;
    ok = ok && std::fgetc(file) == EOF;      // nothing after the last frame
    std::fclose(file);
    return ok;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// FNV-1a, continued over the given bytes.
inline uint32_t Fnv1a(uint32_t h, const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        h = (h ^ bytes[i]) * 16777619u;
    return h;
}

const uint32_t kChecksumStart = 2166136261u;

// FNV-1a over every frame of a case, top row first: equal checksums in the
// two programs show that both encoded the same pictures.
inline uint32_t Checksum(const Frames& frames)
{
    uint32_t h = kChecksumStart;
    for (const auto& f : frames)
        h = Fnv1a(h, f.data(), f.size());
    return h;
}

// Prints the result line of one case from the seconds of each timed pass.
inline void PrintResult(const char* encoder, const Case& c, const std::vector<double>& seconds,
                        unsigned long long bytes, uint32_t checksum)
{
    const double megapixels = double(c.width) * c.height * kFrames / 1e6;
    const double median = Median(seconds);
    const double best = *std::min_element(seconds.begin(), seconds.end());
    std::printf("result %s %s %dx%d %d %.6f %.2f %llu %08x %.2f\n", encoder,
                synth::ContentName(c.content), c.width, c.height, kFrames, median,
                megapixels / median, bytes, static_cast<unsigned>(checksum), megapixels / best);
    std::fflush(stdout);
}

} // namespace bench
