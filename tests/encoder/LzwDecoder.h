// A plain GIF LZW decoder written from the format rules, independent of
// the library: the tests decode what the encoders wrote and compare pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

// Decodes image data (minimum code size byte, sub-blocks, terminator) into
// at most `pixels` indices. Empty when the data is damaged: a code out of
// the table, a missing terminator, or more pixels than asked for.
inline std::vector<uint8_t> DecodeLzw(const std::vector<uint8_t>& data, size_t pixels)
{
    std::vector<uint8_t> out;
    if (data.empty() || data[0] < 2 || data[0] > 8)
        return {};
    const unsigned minimum = data[0];
    std::vector<uint8_t> stream;
    size_t p = 1;
    while (p < data.size() && data[p] != 0) {
        const size_t n = data[p];
        if (p + 1 + n > data.size())
            return {};
        stream.insert(stream.end(), data.begin() + p + 1, data.begin() + p + 1 + n);
        p += 1 + n;
    }
    if (p + 1 != data.size())
        return {};
    const unsigned clear = 1u << minimum, end = clear + 1;
    std::vector<uint16_t> prefix(4096);
    std::vector<uint8_t> suffix(4096), first(4096);
    unsigned width = minimum + 1, next = clear + 2, previous = 0xFFFF;
    size_t bit = 0;
    std::vector<uint8_t> string;
    // The pixels of a code, first to last.
    auto expand = [&](unsigned code) {
        string.clear();
        while (code >= clear + 2) {
            string.push_back(suffix[code]);
            code = prefix[code];
        }
        string.push_back(static_cast<uint8_t>(code));
        return std::vector<uint8_t>(string.rbegin(), string.rend());
    };
    for (;;) {
        if (bit + width > 8 * stream.size())
            return {};
        unsigned code = 0;
        for (unsigned i = 0; i < width; ++i, ++bit)
            code |= ((stream[bit / 8] >> (bit % 8)) & 1u) << i;
        if (code == clear) {
            width = minimum + 1;
            next = clear + 2;
            previous = 0xFFFF;
            continue;
        }
        if (code == end)
            break;
        std::vector<uint8_t> pixelsOf;
        if (previous == 0xFFFF) {
            if (code >= clear)
                return {};
            pixelsOf.assign(1, static_cast<uint8_t>(code));
        } else {
            if (code > next || (code >= clear && code < clear + 2))
                return {};
            std::vector<uint8_t> before = expand(previous);
            pixelsOf = code == next ? before : expand(code);
            if (code == next)
                pixelsOf.push_back(before[0]);
            if (next < 4096) {
                prefix[next] = static_cast<uint16_t>(previous);
                suffix[next] = pixelsOf[0];
                ++next;
                if (next == (1u << width) && width < 12)
                    ++width;
            }
        }
        out.insert(out.end(), pixelsOf.begin(), pixelsOf.end());
        if (out.size() > pixels)
            return {};
        previous = code;
    }
    return out;
}

} // namespace reference
