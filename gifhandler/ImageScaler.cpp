// Area averaging in two passes, rows then columns.
//
// Along one axis, source pixel i covers [i * dst, (i + 1) * dst) and output
// pixel X covers [X * src, (X + 1) * src), in units of 1 / (src * dst) of a
// source pixel's width times dst: the overlaps are whole numbers and every
// output pixel's overlaps add up to src. Each output pixel takes one or a
// few source pixels with those weights; the first pass keeps its sums with
// eight bits of fraction, the second rounds once at the end.
#include "ImageScaler.h"

#include "HeapArray.h"

namespace {

// The source pixels and weights of each output pixel along one axis: output
// X takes count[X] source pixels from first[X], with weights from offset[X].
struct AxisWeights
{
    explicit AxisWeights(DWORD src, DWORD dst)
        : m_bMade(m_block.Reserve(5ull * dst + src + 1)), first(m_block.Get()), count(first + dst),
          offset(count + dst), weights(offset + dst)
    {
        if (!m_bMade)
            return;
        DWORD used = 0;
        for (DWORD x = 0; x < dst; ++x) {
            const ULONGLONG begin = static_cast<ULONGLONG>(x) * src, end = begin + src;
            DWORD i = static_cast<DWORD>(begin / dst);
            first[x] = i;
            offset[x] = used;
            for (; i < src && static_cast<ULONGLONG>(i) * dst < end; ++i) {
                const ULONGLONG from = static_cast<ULONGLONG>(i) * dst, to = from + dst;
                weights[used++] = static_cast<DWORD>((to < end ? to : end) - (from > begin ? from : begin));
            }
            count[x] = used - offset[x];
        }
    }
    bool Made() const { return m_bMade; }

    CHeapArray<DWORD> m_block;
    bool m_bMade;
    DWORD* first;
    DWORD* count;
    DWORD* offset;
    DWORD* weights;     // fewer than src + 2 dst of them
};

inline DWORD Rounded(ULONGLONG sum, ULONGLONG total)
{
    return static_cast<DWORD>((sum + total / 2) / total);
}

} // namespace

void ScaledSize(DWORD srcWidth, DWORD srcHeight, DWORD screenWidth, DWORD screenHeight, DWORD outWidth,
                DWORD outHeight, DWORD* width, DWORD* height)
{
    auto side = [](DWORD n, DWORD screen, DWORD out) {
        if (screen == 0)
            return n;
        const ULONGLONG scaled = Rounded(static_cast<ULONGLONG>(n) * out, screen);
        return static_cast<DWORD>(scaled < 1 ? 1 : scaled > 65535 ? 65535 : scaled);
    };
    *width = side(srcWidth, screenWidth, outWidth);
    *height = side(srcHeight, screenHeight, outHeight);
}

bool OutputScreen(DWORD screenWidth, DWORD screenHeight, DWORD nWidth, DWORD nHeight, DWORD* width, DWORD* height)
{
    if ((nWidth == 0 && nHeight == 0) || screenWidth == 0 || screenHeight == 0)
        return false;
    DWORD w = nWidth, h = nHeight;
    if (w == 0)
        w = Rounded(static_cast<ULONGLONG>(screenWidth) * nHeight, screenHeight);
    if (h == 0)
        h = Rounded(static_cast<ULONGLONG>(screenHeight) * nWidth, screenWidth);
    *width = w < 1 ? 1 : w > 65535 ? 65535 : w;
    *height = h < 1 ? 1 : h > 65535 ? 65535 : h;
    return true;
}

bool ScalePixels(const DWORD* src, DWORD srcWidth, DWORD srcHeight, DWORD* dst, DWORD dstWidth, DWORD dstHeight)
{
    const AxisWeights across(srcWidth, dstWidth), down(srcHeight, dstHeight);
    // The first pass: every source row scaled across, three channels with
    // eight bits of fraction.
    CHeapArray<DWORD> block;
    if (!across.Made() || !down.Made() || !block.Reserve(static_cast<ULONGLONG>(srcHeight) * dstWidth * 3))
        return false;
    DWORD* const rows = block.Get();
    for (DWORD y = 0; y < srcHeight; ++y) {
        const DWORD* in = src + static_cast<size_t>(y) * srcWidth;
        DWORD* out = &rows[static_cast<size_t>(y) * dstWidth * 3];
        for (DWORD x = 0; x < dstWidth; ++x) {
            const DWORD* w = &across.weights[across.offset[x]];
            const DWORD* p = in + across.first[x];
            ULONGLONG r = 0, g = 0, b = 0;
            for (DWORD k = 0; k < across.count[x]; ++k) {
                r += static_cast<ULONGLONG>(w[k]) * (p[k] >> 16 & 0xFF);
                g += static_cast<ULONGLONG>(w[k]) * (p[k] >> 8 & 0xFF);
                b += static_cast<ULONGLONG>(w[k]) * (p[k] & 0xFF);
            }
            out[3 * x + 0] = Rounded(r << 8, srcWidth);
            out[3 * x + 1] = Rounded(g << 8, srcWidth);
            out[3 * x + 2] = Rounded(b << 8, srcWidth);
        }
    }
    // The second pass: the rows of each output row, weighted, rounded once.
    const ULONGLONG total = static_cast<ULONGLONG>(srcHeight) << 8;
    for (DWORD y = 0; y < dstHeight; ++y) {
        const DWORD* w = &down.weights[down.offset[y]];
        DWORD* out = dst + static_cast<size_t>(y) * dstWidth;
        for (DWORD x = 0; x < dstWidth; ++x) {
            ULONGLONG r = 0, g = 0, b = 0;
            for (DWORD k = 0; k < down.count[y]; ++k) {
                const DWORD* in = &rows[(static_cast<size_t>(down.first[y]) + k) * dstWidth * 3 + 3 * x];
                r += static_cast<ULONGLONG>(w[k]) * in[0];
                g += static_cast<ULONGLONG>(w[k]) * in[1];
                b += static_cast<ULONGLONG>(w[k]) * in[2];
            }
            out[x] = Rounded(r, total) << 16 | Rounded(g, total) << 8 | Rounded(b, total);
        }
    }
    return true;
}
