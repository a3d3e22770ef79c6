// CFrameDiffer: cropping to the change, transparency for what stays.
//
// The screen is kept as the colour of every pixel (images may carry tables
// of their own, so indices cannot be compared across images). For an image
// without transparency of its own:
//  * the rectangle is the bounding box of the pixels whose colour differs
//    from what the screen shows; an image that changes nothing is written as
//    one pixel at the top-left corner, the colour it already has;
//  * pixels inside the rectangle that stay the same may take an index no
//    pixel of the rectangle uses (the first past the image's own table, or
//    a global one the rectangle leaves unused) as the transparent colour:
//    where a quarter or more of the rectangle stays, both versions are
//    encoded and the shorter written;
//  * its control extension says "leave in place", so the next image draws
//    over it.
// An image with transparency of its own is drawn by the plain layout whole,
// over what the screen shows, and then restored to the background. It is
// cropped to the box outside which its pixels are all transparent and the
// screen shows the background, and keeps that disposal: outside the box
// both layouts show the background, during the image and after it. A sprite
// over a transparent backdrop is written as the sprite's box.
#include "FrameDiffer.h"

#include "EncodeJob.h"

#include <string.h>

namespace {

const DWORD kBackground = 0xFF000000;   // no colour: no table entry has the top byte set

DWORD ColourOf(const RGBQUAD& q)
{
    return static_cast<DWORD>(q.rgbRed) << 16 | static_cast<DWORD>(q.rgbGreen) << 8 | q.rgbBlue;
}

// The colour of every index, looked up once an image rather than per pixel.
// Every table the handler passes has 256 readable entries.
void Colours(const RGBQUAD* table, DWORD colours[256])
{
    for (int i = 0; i < 256; ++i)
        colours[i] = ColourOf(table[i]);
}

// Row y (0 the top) of the image's indices.
const BYTE* ImageRow(const GifImage& image, DWORD y)
{
    const DibGeometry& g = image.geometry;
    return image.indices + static_cast<SIZE_T>(g.topDown ? y : g.height - 1 - y) * g.stride;
}

} // namespace

CFrameDiffer::CFrameDiffer()
    : m_nWidth(0), m_nHeight(0), m_pCanvas(nullptr)
{
}

CFrameDiffer::~CFrameDiffer()
{
    if (m_pCanvas != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, m_pCanvas);
}

bool CFrameDiffer::Begin(DWORD screenWidth, DWORD screenHeight)
{
    const SIZE_T nPixels = static_cast<SIZE_T>(screenWidth) * screenHeight;
    m_pCanvas = static_cast<DWORD*>(::HeapAlloc(::GetProcessHeap(), 0, nPixels * sizeof(DWORD)));
    if (m_pCanvas == nullptr)
        return false;
    for (SIZE_T i = 0; i < nPixels; ++i)
        m_pCanvas[i] = kBackground;
    m_nWidth = screenWidth;
    m_nHeight = screenHeight;
    return true;
}

bool CFrameDiffer::Fits(const GifImage& image) const
{
    return m_pCanvas != nullptr && image.geometry.width <= m_nWidth && image.geometry.height <= m_nHeight;
}

void CFrameDiffer::NotePlain(const GifImage& image, const RGBQUAD* table, bool transparent)
{
    if (m_pCanvas == nullptr)
        return;
    const DWORD width = image.geometry.width < m_nWidth ? image.geometry.width : m_nWidth;
    const DWORD height = image.geometry.height < m_nHeight ? image.geometry.height : m_nHeight;
    DWORD colours[256];
    Colours(table, colours);
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = ImageRow(image, y);
        DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        for (DWORD x = 0; x < width; ++x) {
            // Shown, then restored to the background by the image's disposal.
            screen[x] = transparent ? kBackground : colours[row[x]];
        }
    }
}

bool CFrameDiffer::Prepare(const GifImage& image, const RGBQUAD* table, const RGBQUAD* localTable, WORD delay,
                           CEncodeJob& job)
{
    const DWORD width = image.geometry.width, height = image.geometry.height;
    DWORD colours[256];
    Colours(table, colours);
    // The rectangle of change.
    DWORD left = width, right = 0, top = height, bottom = 0;
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = ImageRow(image, y);
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        // The first and the last change of the row, each found from its end.
        DWORD first = 0;
        while (first < width && screen[first] == colours[row[first]])
            ++first;
        if (first == width)
            continue;
        DWORD last = width;
        while (last > first + 1 && screen[last - 1] == colours[row[last - 1]])
            --last;
        left = first < left ? first : left;
        right = last > right ? last : right;
        top = y < top ? y : top;
        bottom = y + 1;
    }
    if (right == 0) {
        // Nothing changes: one pixel, as it is, keeps the frame and its delay.
        left = top = 0;
        right = bottom = 1;
    }
    const DWORD cropWidth = right - left, cropHeight = bottom - top;

    GifPlacedImage placed;
    ::ZeroMemory(&placed, sizeof placed);
    placed.left = left;
    placed.top = top;
    placed.width = cropWidth;
    placed.height = cropHeight;
    placed.delay = delay;
    placed.disposal = 1;
    if (!job.Begin(placed))
        return false;
    if (localTable != nullptr)
        job.SetLocalTable(localTable, image.count);

    // The cropped indices, and which indices they use.
    BYTE* const crop = job.Pixels();
    bool used[256] = {};
    for (DWORD y = 0; y < cropHeight; ++y) {
        const BYTE* row = ImageRow(image, top + y) + left;
        ::memcpy(crop + static_cast<SIZE_T>(y) * cropWidth, row, cropWidth);
        for (DWORD x = 0; x < cropWidth; ++x)
            used[row[x]] = true;
    }
    int spare = -1;
    if (localTable != nullptr && image.count < 256)
        spare = static_cast<int>(image.count);
    for (int i = 0; spare < 0 && i < 256 && localTable == nullptr; ++i)
        if (!used[i])
            spare = i;

    DWORD nStill = 0;
    for (DWORD y = 0; spare >= 0 && y < cropHeight; ++y) {
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(top + y) * m_nWidth + left;
        const BYTE* in = crop + static_cast<SIZE_T>(y) * cropWidth;
        for (DWORD x = 0; x < cropWidth; ++x)
            nStill += screen[x] == colours[in[x]] ? 1 : 0;
    }
    // A few still pixels scattered among changed ones make runs no longer:
    // the second version is offered only where it may win. Making it takes
    // the screen's old colours, so the screen is updated in the same pass.
    if (spare >= 0 && nStill * 4 >= cropWidth * cropHeight) {
        // The spare index past the image's own table needs an entry of its own.
        const DWORD localCount = localTable != nullptr && spare == static_cast<int>(image.count) ? image.count + 1
                                                                                               : image.count;
        BYTE* const keep = job.OfferTransparentVersion(static_cast<BYTE>(spare), localCount);
        if (keep == nullptr)
            return false;
        for (DWORD y = 0; y < cropHeight; ++y) {
            DWORD* screen = m_pCanvas + static_cast<SIZE_T>(top + y) * m_nWidth + left;
            const BYTE* in = crop + static_cast<SIZE_T>(y) * cropWidth;
            BYTE* out = keep + static_cast<SIZE_T>(y) * cropWidth;
            for (DWORD x = 0; x < cropWidth; ++x) {
                const DWORD colour = colours[in[x]];
                out[x] = screen[x] == colour ? static_cast<BYTE>(spare) : in[x];
                screen[x] = colour;
            }
        }
        return true;
    }

    // The screen takes the crop's colours.
    for (DWORD y = 0; y < cropHeight; ++y) {
        DWORD* screen = m_pCanvas + static_cast<SIZE_T>(top + y) * m_nWidth + left;
        const BYTE* in = crop + static_cast<SIZE_T>(y) * cropWidth;
        for (DWORD x = 0; x < cropWidth; ++x)
            screen[x] = colours[in[x]];
    }
    return true;
}

bool CFrameDiffer::PrepareTransparent(const GifImage& image, const RGBQUAD* localTable, BYTE transparentIndex,
                                      WORD delay, CEncodeJob& job)
{
    const DWORD width = image.geometry.width, height = image.geometry.height;
    // The box of what shows: the image's own pixels and what lies under it.
    DWORD left = width, right = 0, top = height, bottom = 0;
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = ImageRow(image, y);
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        DWORD first = 0;
        while (first < width && row[first] == transparentIndex && screen[first] == kBackground)
            ++first;
        if (first == width)
            continue;
        DWORD last = width;
        while (last > first + 1 && row[last - 1] == transparentIndex && screen[last - 1] == kBackground)
            --last;
        left = first < left ? first : left;
        right = last > right ? last : right;
        top = y < top ? y : top;
        bottom = y + 1;
    }
    if (right == 0) {
        // Nothing shows: one transparent pixel keeps the frame and its delay.
        left = top = 0;
        right = bottom = 1;
    }
    const DWORD cropWidth = right - left, cropHeight = bottom - top;

    GifPlacedImage placed;
    ::ZeroMemory(&placed, sizeof placed);
    placed.left = left;
    placed.top = top;
    placed.width = cropWidth;
    placed.height = cropHeight;
    placed.delay = delay;
    placed.disposal = 2;
    placed.transparent = true;
    placed.transparentIndex = transparentIndex;
    if (!job.Begin(placed))
        return false;
    if (localTable != nullptr)
        job.SetLocalTable(localTable, image.count);
    BYTE* const crop = job.Pixels();
    for (DWORD y = 0; y < cropHeight; ++y) {
        ::memcpy(crop + static_cast<SIZE_T>(y) * cropWidth, ImageRow(image, top + y) + left, cropWidth);
        // Restored to the background once shown; outside the box it is already.
        DWORD* screen = m_pCanvas + static_cast<SIZE_T>(top + y) * m_nWidth + left;
        for (DWORD x = 0; x < cropWidth; ++x)
            screen[x] = kBackground;
    }
    return true;
}
