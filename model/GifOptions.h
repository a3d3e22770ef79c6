// cGifOptions: the document's settings for "Create animation" and "Batch
// Convert", stored at the end of the project file.
#pragma once

#include "Afx.h"

class cGifOptions
{
public:
    // Transparency choices of the export dialogs.
    enum { transparencyNone = 0, transparencyFirstImage = 1, transparencyEachImage = 2 };

// Construction
    cGifOptions();
    virtual ~cGifOptions() = default;

// Overridables
    // Reading a record of another version leaves every field as it was; so
    // does a record that ends early (the archive throws before anything changes).
    virtual void Serialize(CArchive& ar);

// Implementation
    CString m_strOutput;
    int m_nTransparency;
    BOOL m_bExpand;
    WORD m_nFrameRate;
    WORD m_nLoopCount;
    WORD m_wReserved;
};
