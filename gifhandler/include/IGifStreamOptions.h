// IGifStreamOptions, the GIF stream's private options interface, and the class
// identifier of the handler. Self-contained: a client needs no import library.
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
