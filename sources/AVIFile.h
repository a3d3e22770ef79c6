// cAVIFile: the project node of one movie, whose frames a cAVIReader decodes
// while the node is open.
#pragma once

#include "ImageList.h"

#include <windows.h>
#include <vfw.h>

class cAVIReader;

class cAVIFile : public cImageList
{
    DECLARE_SERIAL(cAVIFile)
public:
// Construction
    cAVIFile();
    explicit cAVIFile(LPCSTR lpszPath);
    ~cAVIFile() override;

// Attributes
    // Fills *pInfo with the open movie's file information; FALSE, leaving it
    // untouched, when the movie is not open or does not answer.
    BOOL GetFileInfo(AVIFILEINFOA* pInfo);
    int GetOpenCount() const { return m_nOpenCount; }
    BOOL IsOpen() const { return m_pReader != nullptr; }

// Overridables
    void Serialize(CArchive& ar) override;
    // -1: the node's name. Otherwise the name of a file for frame nFrame, in
    // a buffer shared by every movie node that the next call overwrites.
    LPCSTR GetName(int nFrame = -1) override;
    int GetFrameCount() override;                       // 0 when not open
    cDrawDib* GetFrame(int nFrame) override;            // null when it cannot be decoded
    LPCSTR GetFrameRefusal() override;
    cDrawDib* GetFrameFormat(int nFrame) override;      // the stream's stored format, no pixels
    // The file's own rate, scale and frame size, as AVIFile reports them.
    BOOL GetFrameClock(DWORD& dwRate, DWORD& dwScale, LONG& nWidth, LONG& nHeight) override;
    int GetChildCount() override;
    cTestNode* GetChild(int i) override;
    BOOL Open() override;
    void Close() override;

// Implementation
    CString m_strPath;
    int m_nOpenCount;
    cAVIReader* m_pReader;
    LPCSTR m_pszRefusal;        // why the last GetFrame gave nothing, when known
};
