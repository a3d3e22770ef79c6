// What the encoder benchmark measures, shared by its Windows program (loomcast
// under Wine) and its host program (giflib), so that both encode the same
// frames the same number of times and report them in the same form.
//
// Each program prints one machine-readable line per case:
//   result <encoder> <content> <width>x<height> <frames> <median seconds>
//          <median MPix/s> <output bytes> <frame checksum> <best MPix/s>
// The best (fastest) run is printed too: on a busy machine it is the figure
// least disturbed by other processes.
// tools/bench.sh joins the two programs' lines into one table.
#pragma once

#include "SyntheticFrames.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
const int kDefaultRuns = 5;
const unsigned kDelay = 10;        // hundredths of a second, in every control extension

// The number of timed runs per case: the first argument, or kDefaultRuns.
inline int RunsFromArgs(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
    return runs > 0 ? runs : kDefaultRuns;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// FNV-1a over every frame of a case, top row first: equal checksums in the
// two programs show that both encoded the same pictures.
inline uint32_t Checksum(const std::vector<std::vector<uint8_t>>& frames)
{
    uint32_t h = 2166136261u;
    for (const auto& f : frames)
        for (uint8_t b : f)
            h = (h ^ b) * 16777619u;
    return h;
}

// Prints the result line of one case from the seconds of each timed run.
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
