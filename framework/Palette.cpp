// CPalette: creation and queries.
#include "Palette.h"

IMPLEMENT_DYNAMIC(CPalette, CGdiObject)

BOOL CPalette::CreatePalette(const LOGPALETTE* lpLogPalette)
{
    ASSERT(lpLogPalette != nullptr);
    return Attach(::CreatePalette(lpLogPalette));
}

int CPalette::GetEntryCount() const
{
    ASSERT(m_hObject != nullptr);
    WORD nEntries = 0;
    ::GetObjectA(m_hObject, sizeof(nEntries), &nEntries);
    return nEntries;
}
