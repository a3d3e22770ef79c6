// cAVIReader: one movie opened through the run-time AVIFile library, its
// first video stream's format and a decoder that hands out frames (or, for
// uncompressed rows with bit fields, the reader's own copy of them).
#pragma once

#include "AVIFileLibrary.h"
#include "Object.h"

class cAVIReader : public CObject
{
public:
// Construction
    // Opens the movie fully or throws CMemoryException*, whatever the cause,
    // after releasing everything it had acquired.
    explicit cAVIReader(LPCSTR pszPath, BITMAPINFOHEADER* pWantedFormat = nullptr, LONG lStream = 0);
    ~cAVIReader() override;

// Attributes
    // The stream's stored format at position 0: a BITMAPINFOHEADER (biSize
    // no larger than the block) and what follows it, GetFormatSize() bytes in all.
    const BITMAPINFOHEADER* GetFormat() const { return reinterpret_cast<const BITMAPINFOHEADER*>(m_pFormat); }
    LONG GetFormatSize() const { return m_cbFormat; }
    HRESULT GetFileInfo(AVIFILEINFOA* pInfo);

// Operations
    // Frame lPos as a packed DIB that the decoder (or the reader) owns and
    // overwrites at the next call; null when it cannot be decoded.
    const BITMAPINFOHEADER* GetFrame(LONG lPos);

    // The path with its folders and file name in their 8.3 forms (the long
    // name where the file has no short one), into cchShort characters.
    // FALSE when the file is not there or the result does not fit.
    static BOOL BuildShortPath(LPCSTR pszPath, LPSTR pszShort, int cchShort);

// Implementation
private:
    BOOL Open(LPCSTR pszPath, BITMAPINFOHEADER* pWantedFormat, LONG lStream);
    BOOL ReadFormat();
    // Uncompressed rows with bit fields: the platform's decoder hands them
    // back in another layout than the stream declares, so they are read as
    // stored, behind a copy of the stream's header and masks.
    BOOL OpenFieldRows();
    const BITMAPINFOHEADER* ReadFieldRows(LONG lPos);
    void Close();

    PAVIFILE m_pFile;
    PAVISTREAM m_pStream;
    PGETFRAME m_pGetFrame;
    BYTE* m_pFormat;
    LONG m_cbFormat;
    BYTE* m_pFieldFrame;        // header, masks and rows of the last frame read as stored
    DWORD m_cbFieldRows;        // bytes of rows in it
    BOOL m_bFileInit;
    cAVIFileLibrary m_lib;
};
