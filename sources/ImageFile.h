// cImageFile: the project node of one still image, a .bmp file read from disk
// whenever its frame is asked for.
#pragma once

#include "ImageList.h"

class cImageFile : public cImageList
{
    DECLARE_SERIAL(cImageFile)
public:
// Construction
    cImageFile();
    explicit cImageFile(LPCSTR lpszPath);

// Overridables
    void Serialize(CArchive& ar) override;
    int GetFrameCount() override;                           // always 1
    cDrawDib* GetFrame(int nFrame) override;                // null when the file cannot be read
    LPCSTR GetFrameRefusal() override;
    cDrawDib* GetFrameFormat(int nFrame) override;          // never null; empty when the file is unusable
    int GetChildCount() override;
    cTestNode* GetChild(int i) override;

// Implementation
    CString m_strPath;
    LPCSTR m_pszRefusal;        // why the last GetFrame read nothing, when known
};
