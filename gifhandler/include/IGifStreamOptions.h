// IGifStreamOptions to IGifStreamOptions4, the GIF stream's private options
// interfaces, and the class identifier of the handler. Self-contained: a
// client needs no import library.
#pragma once

#include <windows.h>
#include <objbase.h>

// {1C649FA5-A1DB-11CF-AC12-0000F61E6593}
inline constexpr IID IID_IGifStreamOptions =
    { 0x1C649FA5, 0xA1DB, 0x11CF, { 0xAC, 0x12, 0x00, 0x00, 0xF6, 0x1E, 0x65, 0x93 } };

// {1C649FA4-A1DB-11CF-C000-000000000046}: the AVIFile GIF handler class.
inline constexpr CLSID CLSID_GifHandler =
    { 0x1C649FA4, 0xA1DB, 0x11CF, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };

// Asked for on the AVIFile stream of a .gif file. The method order is the
// interface's binary layout and must not change.
struct IGifStreamOptions : public IUnknown
{
    // Images written from now on carry wIndex (low byte) as their transparent
    // colour when bEnable is non-zero, and no transparent colour otherwise.
    virtual HRESULT STDMETHODCALLTYPE SetTransparency(DWORD bEnable, WORD wIndex) = 0;

    // Kept for compatibility with older clients; the file does not use it.
    virtual HRESULT STDMETHODCALLTYPE SetReservedValue(DWORD dwValue) = 0;

    // Loop count of the animation (0 repeats for ever). Only a call made
    // before the stream's first format reaches the file.
    virtual HRESULT STDMETHODCALLTYPE SetLoopCount(WORD wCount) = 0;
};

// {1C649FA6-A1DB-11CF-AC12-0000F61E6593}
inline constexpr IID IID_IGifStreamOptions2 =
    { 0x1C649FA6, 0xA1DB, 0x11CF, { 0xAC, 0x12, 0x00, 0x00, 0xF6, 0x1E, 0x65, 0x93 } };

// The options of handlers that also write frames of other formats than
// 8-bit ones, reducing them to 256 colours. An interface of its own, asked
// for by its own identifier: a client finds out whether the handler it got
// has these methods instead of calling past the end of an older one's table.
struct IGifStreamOptions2 : public IGifStreamOptions
{
    // Error-diffusion dithering of the frames reduced to 256 colours: on
    // (non-zero, the default) or off. Areas that do not change from one
    // frame to the next are never dithered, nor are colours the reduced
    // table holds exactly.
    virtual HRESULT STDMETHODCALLTYPE SetDithering(DWORD bEnable) = 0;

    // Transparency taken from the images themselves, for images written from
    // now on: 0 leaves it to SetTransparency; 1 makes the colour that the top-
    // left pixel of the next image gets transparent, in that image and in
    // every later one that has that colour; 2 makes each image's own top-left
    // pixel transparent. SetTransparency afterwards goes back to mode 0.
    virtual HRESULT STDMETHODCALLTYPE SetTopLeftTransparency(DWORD dwMode) = 0;

    // Frame differencing (off by default): each image after the first is
    // written cropped to what it changes on the screen, with unchanged
    // pixels transparent where that is shorter; a viewer shows exactly what
    // the plain layout (every image whole) shows. Only a call made before
    // the first image takes effect (E_UNEXPECTED after it).
    virtual HRESULT STDMETHODCALLTYPE SetFrameDifferencing(DWORD bEnable) = 0;
};

// {1C649FA7-A1DB-11CF-AC12-0000F61E6593}
inline constexpr IID IID_IGifStreamOptions3 =
    { 0x1C649FA7, 0xA1DB, 0x11CF, { 0xAC, 0x12, 0x00, 0x00, 0xF6, 0x1E, 0x65, 0x93 } };

// The options of handlers that can encode images on worker threads.
struct IGifStreamOptions3 : public IGifStreamOptions2
{
    // Parallel encoding (off by default): images are encoded on worker
    // threads, one for each processor up to a few, and written in order.
    // Write then returns before its image is in the file, and a write that
    // fails later is answered by the next Write and by FinishImages. With
    // or without it, after a failed write nothing more is written, every
    // later Write and FinishImages answers the error, and the file is left
    // without its trailer, cut back to the end of its last whole image.
    // Only a call made before the first image takes effect (E_UNEXPECTED
    // after it).
    virtual HRESULT STDMETHODCALLTYPE SetParallelEncoding(DWORD bEnable) = 0;

    // Waits until every image written so far is in the file. *pnImages
    // (when given) receives the number of images wholly in the file; the
    // answer is S_OK or the first error of any image (AVIERR_FILEWRITE,
    // AVIERR_MEMORY). Writing may go on afterwards.
    virtual HRESULT STDMETHODCALLTYPE FinishImages(DWORD* pnImages) = 0;
};

// {1C649FA8-A1DB-11CF-AC12-0000F61E6593}
inline constexpr IID IID_IGifStreamOptions4 =
    { 0x1C649FA8, 0xA1DB, 0x11CF, { 0xAC, 0x12, 0x00, 0x00, 0xF6, 0x1E, 0x65, 0x93 } };

// The options of handlers that write into the client's own stream and make
// smaller files at the client's choice. Each is taken only before the first
// format (E_UNEXPECTED after it); a value out of range is E_INVALIDARG.
struct IGifStreamOptions4 : public IGifStreamOptions3
{
    // Every byte of the GIF goes to pStream, which the handler holds until
    // it is released, instead of to the file Load opened (which stays
    // empty); null goes back to the file. A Write of pStream that fails or
    // takes fewer bytes is a failed write, as for a file: nothing more is
    // written, and the next Write and FinishImages answer AVIERR_FILEWRITE.
    virtual HRESULT STDMETHODCALLTYPE SetOutputStream(ISequentialStream* pStream) = 0;

    // The logical screen, and every image by the same factors, scaled so
    // that the screen is nWidth x nHeight (1 to 65535); 0 for one of them
    // keeps the first format's aspect ratio, 0 for both (the default) does
    // not scale.
    virtual HRESULT STDMETHODCALLTYPE SetOutputSize(DWORD nWidth, DWORD nHeight) = 0;

    // At most nColours (2 to 256, the default) entries in every colour
    // table; frames with more colours are reduced as true-colour frames are.
    virtual HRESULT STDMETHODCALLTYPE SetColourLimit(DWORD nColours) = 0;

    // Lossy compression from 0 (off, the default) to 200: runs of pixels may
    // take colours close to their own where that shortens the data. Pixels
    // that stay the same from one image to the next and the transparent
    // colour are never changed. It writes the differenced layout, which
    // knows what stays.
    virtual HRESULT STDMETHODCALLTYPE SetLossiness(DWORD nLevel) = 0;
};
