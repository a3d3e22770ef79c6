// cGifOptions: the document's settings for "Create animation" and "Batch
// Convert", stored at the end of the project file: the settings record, and
// after it, only when a size choice is not at its default, the size record.
#pragma once

#include "Afx.h"

class cGifOptions
{
public:
    // Transparency choices of the export dialogs.
    enum { transparencyNone = 0, transparencyFirstImage = 1, transparencyEachImage = 2 };
    // The size choices' ranges and defaults.
    enum : DWORD { kMaxSide = 65535, kMinColours = 2, kMaxColours = 256, kMaxLossiness = 200 };

// Construction
    cGifOptions();
    virtual ~cGifOptions() = default;

// Overridables
    // Reading a record of another version leaves every field as it was; so
    // does a record that ends early (the archive throws before anything changes).
    virtual void Serialize(CArchive& ar);
    // The size record: output width and height, colour limit, lossiness and
    // the largest file, each checked on loading (a value out of range is a
    // damaged file: the archive's generic exception, nothing changed).
    void SerializeSizeChoices(CArchive& ar);

// Attributes
    // Whether any size choice differs from its default; a project without
    // any is saved without the size record, as before there was one.
    BOOL HasSizeChoices() const;

// Implementation
    CString m_strOutput;
    int m_nTransparency;
    BOOL m_bExpand;
    WORD m_nFrameRate;
    WORD m_nLoopCount;
    WORD m_wReserved;
    // Size choices: each 0 = not asked for; m_nColours 256 = all.
    DWORD m_nOutputWidth;
    DWORD m_nOutputHeight;
    DWORD m_nColours;
    DWORD m_nLossiness;
    DWORD m_dwMaxSize;      // bytes
};
