// A deliberately plain GIF image-data encoder written from the format rules
// the library follows: a 5003-slot hash table probed with steps 1, 3, 5, ...,
// a 260-byte sub-block buffer, one write per sub-block. It is slow and has
// none of the library's shortcuts; the tests hold the library's bytes to it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace reference {

// Codes packed least significant bit first into sub-blocks: before each code,
// once 254 whole bytes are pending they go out as one sub-block.
class SubBlockWriter
{
public:
    explicit SubBlockWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void Put(unsigned code, unsigned width)
    {
        if (m_bits >= 2032)
            Cut();
        for (unsigned i = 0; i < width; ++i, ++m_bits) {
            if (m_bits % 8 == 0)
                m_buffer[1 + m_bits / 8] = 0;
            if (code & (1u << i))
                m_buffer[1 + m_bits / 8] |= static_cast<uint8_t>(1u << (m_bits % 8));
        }
    }

    void Finish()
    {
        unsigned bytes = (m_bits + 7) / 8;
        if (bytes == 256) {
            Emit(255);
            m_out.push_back(1);
            m_out.push_back(m_buffer[1 + 255]);
        } else if (bytes > 0) {
            Emit(bytes);
        }
        m_out.push_back(0);
    }

private:
    void Emit(unsigned bytes)
    {
        m_out.push_back(static_cast<uint8_t>(bytes));
        m_out.insert(m_out.end(), m_buffer + 1, m_buffer + 1 + bytes);
    }

    void Cut()
    {
        const unsigned whole = m_bits / 8;
        Emit(whole);
        m_buffer[1] = m_buffer[1 + whole];
        m_bits -= whole * 8;
    }

    std::vector<uint8_t>& m_out;
    uint8_t m_buffer[260] = {};
    unsigned m_bits = 0;
};

// The image data block (minimum code size, sub-blocks, terminator) for
// pixels given top row first, `width` per row, no padding.
inline std::vector<uint8_t> ImageData(const std::vector<uint8_t>& pixels)
{
    const unsigned kSlots = 5003;
    std::vector<uint16_t> codes(kSlots), prefixes(kSlots);
    std::vector<uint8_t> suffixes(kSlots);
    std::vector<uint8_t> out{ 8 };
    SubBlockWriter writer(out);

    unsigned next = 258, width = 9, limit = 512;
    writer.Put(256, width);
    unsigned p = pixels.at(0);
    for (size_t i = 1; i < pixels.size(); ++i) {
        const unsigned k = pixels[i];
        unsigned slot = ((k << 5) ^ p) % kSlots, step = 1;
        while (codes[slot] != 0 && (prefixes[slot] != p || suffixes[slot] != k)) {
            slot = (slot + step) % kSlots;
            step += 2;
            // Quadratic probing reaches only half the slots; a table this
            // full could in theory cycle without finding a free one.
            if (step > 2 * kSlots)
                throw std::runtime_error("reference hash probe cycled");
        }
        if (codes[slot] != 0) {
            p = codes[slot];
            continue;
        }
        writer.Put(p, width);
        codes[slot] = static_cast<uint16_t>(next);
        prefixes[slot] = static_cast<uint16_t>(p);
        suffixes[slot] = static_cast<uint8_t>(k);
        const unsigned stored = next++;
        if (stored == limit) {
            if (limit < 4096) {
                ++width;
                limit <<= 1;
            } else {
                writer.Put(256, width);
                std::fill(codes.begin(), codes.end(), 0);
                next = 258;
                width = 9;
                limit = 512;
            }
        }
        p = k;
    }
    writer.Put(p, width);
    writer.Put(257, width);
    writer.Finish();
    return out;
}

} // namespace reference
