// CPalette: a logical colour palette.
#pragma once

#include "GdiObject.h"

class CPalette : public CGdiObject
{
    DECLARE_DYNAMIC(CPalette)
public:
// Construction
    CPalette() = default;
    BOOL CreatePalette(const LOGPALETTE* lpLogPalette);

// Attributes
    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
    int GetEntryCount() const;
};
