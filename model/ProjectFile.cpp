// cProjectFile: writing and reading the project file's header, tree and settings.
#include "ProjectFile.h"

#include <cstring>

void cProjectFile::Serialize(CArchive& ar, cImageList& root, cGifOptions& options)
{
    if (ar.IsStoring())
        Store(ar, root, options);
    else
        Load(ar, root, options);
}

void cProjectFile::Store(CArchive& ar, cImageList& root, cGifOptions& options)
{
    const BOOL bSizeChoices = options.HasSizeChoices();
    ar << static_cast<DWORD>(dwProjectMark) << static_cast<DWORD>(bSizeChoices ? dwCurrentVersion : dwSettingsVersion);
    // The root is written without a class tag: the reader knows what it is.
    root.Serialize(ar);
    options.Serialize(ar);
    if (bSizeChoices)
        options.SerializeSizeChoices(ar);
}

void cProjectFile::Load(CArchive& ar, cImageList& root, cGifOptions& options)
{
    DWORD dwMark, dwVersion;
    ar >> dwMark;
    if (dwMark != dwProjectMark)
        AfxThrowArchiveException(CArchiveException::generic);
    ar >> dwVersion;
    if (dwVersion > dwCurrentVersion)
        AfxThrowArchiveException(CArchiveException::badSchema);

    // Settings are read into a copy and taken only when the whole file was
    // read, so that nothing of a damaged file stays behind.
    const CString strOldName = root.m_strName;
    cGifOptions newOptions(options);
    try {
        root.Serialize(ar);
        if (dwVersion >= dwSettingsVersion) {
            newOptions.Serialize(ar);
            // Size choices are the project's: one saved without them has none.
            const cGifOptions defaults;
            newOptions.m_nOutputWidth = defaults.m_nOutputWidth;
            newOptions.m_nOutputHeight = defaults.m_nOutputHeight;
            newOptions.m_nColours = defaults.m_nColours;
            newOptions.m_nLossiness = defaults.m_nLossiness;
            newOptions.m_dwMaxSize = defaults.m_dwMaxSize;
        }
        if (dwVersion >= dwCurrentVersion)
            newOptions.SerializeSizeChoices(ar);
    } catch (...) {
        root.DeleteAll();
        root.m_strName = strOldName;
        throw;
    }
    options = newOptions;
}

BOOL cProjectFile::HasProjectMark(const void* pFirstBytes, UINT nCount)
{
    static const BYTE s_mark[4] = {0xED, 0xFE, 0xCE, 0xFA};
    return pFirstBytes != nullptr && nCount >= sizeof(s_mark) && std::memcmp(pFirstBytes, s_mark, sizeof(s_mark)) == 0;
}
