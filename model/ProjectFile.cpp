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
    ar << static_cast<DWORD>(dwProjectMark) << static_cast<DWORD>(dwCurrentVersion);
    // The root is written without a class tag: the reader knows what it is.
    root.Serialize(ar);
    options.Serialize(ar);
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
        if (dwVersion == 1)
            newOptions.Serialize(ar);
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
