// Deterministic 8-bit test pictures shared by the tests and the benchmarks,
// in plain C++ so that host-native and Windows programs make the same bytes.
// Pixels are colour indices, one byte each, top row first, no row padding.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace synth {

enum class Content { Natural, Fractal, Noise, Flat };

inline const char* ContentName(Content c)
{
    switch (c) {
    case Content::Natural: return "natural";
    case Content::Fractal: return "fractal";
    case Content::Noise:   return "noise";
    case Content::Flat:    return "flat";
    }
    return "?";
}

// A 256-entry palette as red, green, blue triples: a ramp through sky,
// grass and earth tones so that every index is a distinct colour.
inline std::vector<uint8_t> Palette()
{
    std::vector<uint8_t> rgb(768);
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i + 0] = static_cast<uint8_t>((i * 7) & 255);
        rgb[3 * i + 1] = static_cast<uint8_t>((i * 3 + 40) & 255);
        rgb[3 * i + 2] = static_cast<uint8_t>(255 - i);
    }
    return rgb;
}

inline uint32_t XorShift(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// A landscape: sky bands, a sun, rolling hills with texture, a moving cloud;
// large flat areas with soft edges, like a frame from a film or a drawing.
inline void Natural(std::vector<uint8_t>& px, int w, int h, int frame)
{
    uint32_t seed = 0x1234567u + static_cast<uint32_t>(frame) * 7919u;
    const double sunX = w * (0.2 + 0.01 * (frame % 50)), sunY = h * 0.25, sunR = h * 0.1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double hill = h * (0.6 + 0.08 * std::sin(x * 0.02 + frame * 0.05)
                                     + 0.04 * std::sin(x * 0.07));
            int index;
            if (y > hill) {
                const int depth = static_cast<int>((y - hill) / 6);
                index = 100 + (depth & 31) + ((XorShift(seed) & 15) == 0 ? 1 : 0);
            } else if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) < sunR * sunR) {
                index = 250;
            } else {
                const int cloudX = (x + frame * 3) % w;
                const bool cloud = std::abs(cloudX - w / 2) < w / 8 && std::abs(y - h / 6) < h / 20;
                index = cloud ? 240 : 10 + (y * 24) / h;
            }
            px[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(index);
        }
    }
}

// The Mandelbrot set, iteration counts as colours, zooming in frame by frame:
// many small details and colour changes at every few pixels.
inline void Fractal(std::vector<uint8_t>& px, int w, int h, int frame)
{
    const double scale = 3.0 / w * std::pow(0.97, frame);
    const double cx = -0.743643887, cy = 0.131825904;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double re0 = cx + (x - w / 2) * scale, im0 = cy + (y - h / 2) * scale;
            double re = 0, im = 0;
            int n = 0;
            while (n < 255 && re * re + im * im < 4) {
                const double t = re * re - im * im + re0;
                im = 2 * re * im + im0;
                re = t;
                ++n;
            }
            px[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(n);
        }
    }
}

inline void Noise(std::vector<uint8_t>& px, int w, int h, int frame)
{
    uint32_t seed = 0x9E3779B9u ^ (static_cast<uint32_t>(frame) * 2654435761u);
    if (seed == 0)
        seed = 1;
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
        px[i] = static_cast<uint8_t>(XorShift(seed) >> 24);
}

// One picture of the given kind; the frame number moves or varies it.
inline std::vector<uint8_t> Make(Content c, int w, int h, int frame)
{
    std::vector<uint8_t> px(static_cast<size_t>(w) * h, static_cast<uint8_t>(frame & 255));
    switch (c) {
    case Content::Natural: Natural(px, w, h, frame); break;
    case Content::Fractal: Fractal(px, w, h, frame); break;
    case Content::Noise:   Noise(px, w, h, frame); break;
    case Content::Flat:    break;
    }
    return px;
}

} // namespace synth
