// CFrameDiffer: cropping to the change, transparency for what stays.
//
// The screen is kept as the colour of every pixel (images may carry tables
// of their own, so indices cannot be compared across images). For an image
// without transparency of its own:
//  * the rectangle is the bounding box of the pixels whose colour differs
//    from what the screen shows; an image that changes nothing is written as
//    one pixel at the top-left corner, the colour it already has;
//  * pixels inside the rectangle that stay the same are marked still: the
//    job's encodings (EncodeVersions.h) may write them transparent, with an
//    index the image leaves free, or keep their colour, whichever is shorter;
//  * pixels of the image's stays entry (the colour stage's pixels that stay
//    as the screen shows them, whatever colour that is) are unchanged; a
//    crop holding any has that entry as its transparent colour;
//  * its control extension says "leave in place", so the next image draws
//    over it.
// An image with transparency of its own is drawn by the plain layout whole,
// over what the screen shows, and then restored to the background. It is
// cropped to the box outside which its pixels are all transparent and the
// screen shows the background, and keeps that disposal: outside the box
// both layouts show the background, during the image and after it. A sprite
// over a transparent backdrop is written as the sprite's box.
// A transparent image of the screen's size is held instead: a viewer shows
// the background where its pixels are transparent, its colours elsewhere,
// and that is compared with the screen like an opaque image, its own
// transparent colour standing for what stays. How it leaves the screen
// waits for the next image (see FrameDiffer.h).
#include "FrameDiffer.h"

#include "EncodeJob.h"

#include <string.h>

namespace {

const DWORD kBackground = 0xFF000000;   // no colour: no table entry has the top byte set

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

// The box of the pixels of a width x height area that rowTest(y), a test of
// row y's pixels by x, marks; each row's first and last are found from its
// ends.
template <typename RowTest>
PixelBox BoxWhere(DWORD width, DWORD height, RowTest rowTest)
{
    PixelBox box = { width, height, 0, 0 };
    for (DWORD y = 0; y < height; ++y) {
        const auto marked = rowTest(y);
        DWORD first = 0;
        while (first < width && !marked(first))
            ++first;
        if (first == width)
            continue;
        DWORD last = width;
        while (last > first + 1 && !marked(last - 1))
            --last;
        box.left = first < box.left ? first : box.left;
        box.right = last > box.right ? last : box.right;
        box.top = y < box.top ? y : box.top;
        box.bottom = y + 1;
    }
    return box;
}

// An image that changes nothing is one pixel at the top-left corner, as it
// is: it keeps the frame and its delay.
void AtLeastOnePixel(PixelBox& box)
{
    if (box.right == 0) {
        box.left = box.top = 0;
        box.right = box.bottom = 1;
    }
}

// An image over the box, shown for delay, then disposed of as disposal says.
GifPlacedImage PlacedIn(const PixelBox& box, WORD delay, BYTE disposal)
{
    GifPlacedImage placed;
    ::ZeroMemory(&placed, sizeof placed);
    placed.left = box.left;
    placed.top = box.top;
    placed.width = box.right - box.left;
    placed.height = box.bottom - box.top;
    placed.delay = delay;
    placed.disposal = disposal;
    return placed;
}

} // namespace

CFrameDiffer::CFrameDiffer()
    : m_nWidth(0), m_nHeight(0), m_bPlainClear(true), m_nLossiness(0), m_pGlobal(nullptr)
{
    ::ZeroMemory(&m_held, sizeof m_held);
}

const GlobalPalette& CFrameDiffer::Global(const RGBQUAD* table)
{
    if (m_pGlobal != nullptr)
        return *m_pGlobal;
    m_identity.SetIdentity(table);
    return m_identity;
}

bool CFrameDiffer::Begin(DWORD screenWidth, DWORD screenHeight)
{
    const ULONGLONG nPixels = static_cast<ULONGLONG>(screenWidth) * screenHeight;
    if (!m_pCanvas.Reserve(nPixels))
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
    m_bPlainClear = transparent && image.geometry.width == m_nWidth && image.geometry.height == m_nHeight;
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
    m_bPlainClear = false;
    DWORD colours[256];
    Colours(table, colours);
    // Pixels of the stays entry show what the screen shows, whatever it is.
    const int stay = image.stayIndex;
    // The rectangle of change.
    PixelBox box = BoxWhere(width, height, [&](DWORD y) {
        const BYTE* row = ImageRow(image, y);
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        return [=, &colours](DWORD x) { return row[x] != stay && screen[x] != colours[row[x]]; };
    });
    AtLeastOnePixel(box);
    const DWORD left = box.left, top = box.top;
    const DWORD cropWidth = box.right - left, cropHeight = box.bottom - top;
    bool bStays = false;
    for (DWORD y = 0; stay >= 0 && y < cropHeight && !bStays; ++y) {
        const BYTE* row = ImageRow(image, top + y) + left;
        for (DWORD x = 0; x < cropWidth && !bStays; ++x)
            bStays = row[x] == stay;
    }

    if (!job.Begin(PlacedIn(box, delay, 1)))
        return false;
    if (localTable != nullptr)
        job.SetLocalTable(localTable, image.count);

    // A crop holding pixels that stay has their entry as its transparent
    // colour, in every version.
    job.Optimise(bStays ? stay : -1, m_nLossiness, table, Global(table));
    // The cropped indices and which of them the screen already shows; the
    // screen takes the crop's colours in the same pass.
    BYTE* const crop = job.Pixels();
    BYTE* const still = job.StillMask();
    if (still == nullptr)
        return false;
    for (DWORD y = 0; y < cropHeight; ++y) {
        const BYTE* row = ImageRow(image, top + y) + left;
        DWORD* screen = m_pCanvas + static_cast<SIZE_T>(top + y) * m_nWidth + left;
        BYTE* in = crop + static_cast<SIZE_T>(y) * cropWidth;
        BYTE* stays = still + static_cast<SIZE_T>(y) * cropWidth;
        ::memcpy(in, row, cropWidth);
        for (DWORD x = 0; x < cropWidth; ++x) {
            if (in[x] == stay) {
                stays[x] = 1;
                continue;
            }
            const DWORD colour = colours[in[x]];
            stays[x] = screen[x] == colour ? 1 : 0;
            screen[x] = colour;
        }
    }
    return true;
}

bool CFrameDiffer::PrepareTransparent(const GifImage& image, const RGBQUAD* table, const RGBQUAD* localTable,
                                      int transparentIndex, WORD delay, CEncodeJob& job)
{
    const DWORD width = image.geometry.width, height = image.geometry.height;
    m_bPlainClear = width == m_nWidth && height == m_nHeight;
    // The box of what shows: the image's own pixels and what lies under it.
    PixelBox box = BoxWhere(width, height, [&](DWORD y) {
        const BYTE* row = ImageRow(image, y);
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        return [=](DWORD x) { return row[x] != transparentIndex || screen[x] != kBackground; };
    });
    // Nothing shows: one transparent pixel. (Without a transparent index
    // every pixel shows.)
    AtLeastOnePixel(box);
    const DWORD left = box.left, top = box.top;
    const DWORD cropWidth = box.right - left, cropHeight = box.bottom - top;

    GifPlacedImage placed = PlacedIn(box, delay, 2);
    placed.transparent = transparentIndex >= 0;
    placed.transparentIndex = static_cast<BYTE>(transparentIndex >= 0 ? transparentIndex : 0);
    if (!job.Begin(placed))
        return false;
    if (localTable != nullptr)
        job.SetLocalTable(localTable, image.count);
    job.Optimise(transparentIndex, m_nLossiness, table, Global(table));
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

bool CFrameDiffer::CanHold(const GifImage& image) const
{
    return m_pCanvas != nullptr && m_bPlainClear && image.geometry.width == m_nWidth
           && image.geometry.height == m_nHeight;
}

bool CFrameDiffer::ReserveHeld(DWORD nBytes)
{
    return m_pHeld.Reserve(nBytes) && m_pHeldStill.Reserve(nBytes);
}

bool CFrameDiffer::Hold(const GifImage& image, const RGBQUAD* table, const RGBQUAD* localTable,
                        BYTE transparentIndex, WORD delay)
{
    const DWORD width = image.geometry.width, height = image.geometry.height;
    // What a viewer shows of each index: its colour, or the background.
    DWORD shows[256];
    Colours(table, shows);
    shows[transparentIndex] = kBackground;
    PixelBox box = BoxWhere(width, height, [&](DWORD y) {
        const BYTE* row = ImageRow(image, y);
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        return [=, &shows](DWORD x) { return screen[x] != shows[row[x]]; };
    });
    AtLeastOnePixel(box);
    const DWORD cropWidth = box.right - box.left, cropHeight = box.bottom - box.top;
    if (!ReserveHeld(cropWidth * cropHeight))
        return false;

    for (DWORD y = 0; y < cropHeight; ++y) {
        const BYTE* row = ImageRow(image, box.top + y) + box.left;
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(box.top + y) * m_nWidth + box.left;
        BYTE* out = m_pHeld + static_cast<SIZE_T>(y) * cropWidth;
        BYTE* still = m_pHeldStill + static_cast<SIZE_T>(y) * cropWidth;
        for (DWORD x = 0; x < cropWidth; ++x) {
            out[x] = row[x];
            still[x] = screen[x] == shows[row[x]] ? 1 : 0;
        }
    }
    for (DWORD y = 0; y < cropHeight; ++y) {
        const BYTE* in = m_pHeld + static_cast<SIZE_T>(y) * cropWidth;
        DWORD* screen = m_pCanvas + static_cast<SIZE_T>(box.top + y) * m_nWidth + box.left;
        for (DWORD x = 0; x < cropWidth; ++x)
            screen[x] = shows[in[x]];
    }

    m_bPlainClear = true;
    m_held.bActive = true;
    m_held.box = box;
    m_held.transparentIndex = transparentIndex;
    m_held.delay = delay;
    m_held.bLocal = localTable != nullptr;
    m_held.count = image.count;
    ::CopyMemory(m_held.table, localTable != nullptr ? localTable : table, sizeof m_held.table);
    return true;
}

bool CFrameDiffer::EmitHeldFor(const GifImage& next, BYTE nextTransparentIndex, CEncodeJob& job)
{
    // Where the next image shows the background and the screen a colour.
    const PixelBox clear = BoxWhere(m_nWidth, m_nHeight, [&](DWORD y) {
        const BYTE* row = ImageRow(next, y);
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        return [=](DWORD x) { return row[x] == nextTransparentIndex && screen[x] != kBackground; };
    });
    return EmitHeld(clear, job);
}

bool CFrameDiffer::EmitHeldLast(CEncodeJob& job)
{
    PixelBox clear = BoxWhere(m_nWidth, m_nHeight, [&](DWORD y) {
        const DWORD* screen = m_pCanvas + static_cast<SIZE_T>(y) * m_nWidth;
        return [=](DWORD x) { return screen[x] != kBackground; };
    });
    // Even with nothing to clear the plain layout's disposal is kept.
    if (clear.right == 0)
        clear = m_held.box;
    return EmitHeld(clear, job);
}

// The held box, grown to the box to clear when there is one: outside the
// held crop the image is all transparent, showing what the screen shows.
bool CFrameDiffer::EmitHeld(const PixelBox& clear, CEncodeJob& job)
{
    const PixelBox& held = m_held.box;
    PixelBox box = held;
    const bool bRestore = clear.right != 0;
    if (bRestore) {
        box.left = clear.left < box.left ? clear.left : box.left;
        box.top = clear.top < box.top ? clear.top : box.top;
        box.right = clear.right > box.right ? clear.right : box.right;
        box.bottom = clear.bottom > box.bottom ? clear.bottom : box.bottom;
    }
    const DWORD width = box.right - box.left, height = box.bottom - box.top;
    const DWORD heldWidth = held.right - held.left, heldHeight = held.bottom - held.top;

    GifPlacedImage placed = PlacedIn(box, m_held.delay, bRestore ? 2 : 1);
    placed.transparent = true;
    placed.transparentIndex = m_held.transparentIndex;
    if (!job.Begin(placed))
        return false;
    if (m_held.bLocal)
        job.SetLocalTable(m_held.table, m_held.count);
    job.Optimise(m_held.transparentIndex, m_nLossiness, m_held.table, Global(m_held.table));
    BYTE* still = job.StillMask();
    if (still == nullptr)
        return false;
    // Outside the held crop the image is all transparent: nothing to choose there.
    const SIZE_T offset = static_cast<SIZE_T>(held.top - box.top) * width + (held.left - box.left);
    ::memset(job.Pixels(), m_held.transparentIndex, static_cast<SIZE_T>(width) * height);
    ::memset(still, 0, static_cast<SIZE_T>(width) * height);
    for (DWORD y = 0; y < heldHeight; ++y) {
        ::memcpy(job.Pixels() + offset + static_cast<SIZE_T>(y) * width, m_pHeld + static_cast<SIZE_T>(y) * heldWidth,
                 heldWidth);
        ::memcpy(still + offset + static_cast<SIZE_T>(y) * width, m_pHeldStill + static_cast<SIZE_T>(y) * heldWidth,
                 heldWidth);
    }
    for (DWORD y = 0; bRestore && y < height; ++y) {
        DWORD* screen = m_pCanvas + static_cast<SIZE_T>(box.top + y) * m_nWidth + box.left;
        for (DWORD x = 0; x < width; ++x)
            screen[x] = kBackground;
    }
    m_held.bActive = false;
    return true;
}
