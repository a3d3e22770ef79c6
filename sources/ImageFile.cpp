// cImageFile: the still image's record and its frame and format.
#include "ImageFile.h"

#include "DrawDib.h"

IMPLEMENT_SERIAL(cImageFile, cImageList, 0)

cImageFile::cImageFile()
    : m_pszRefusal(nullptr)
{
    m_nType = typeImage;
}

cImageFile::cImageFile(LPCSTR lpszPath) : cImageFile()
{
    m_strPath = lpszPath;
    cTestNode::SetName(lpszPath);
}

void cImageFile::Serialize(CArchive& ar)
{
    cImageList::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(0) << m_strPath;
    } else {
        DWORD dwVersion;
        ar >> dwVersion;
        // Other versions end the record here.
        if (dwVersion == 0)
            ar >> m_strPath;
    }
}

int cImageFile::GetFrameCount()
{
    return 1;
}

cDrawDib* cImageFile::GetFrame(int nFrame)
{
    (void)nFrame;                   // a still image has one frame, whatever is asked
    m_pszRefusal = nullptr;
    if (m_strPath.IsEmpty())
        return nullptr;
    cDrawDib* pDib = new cDrawDib;
    try {
        if (pDib->LoadBmpFile(m_strPath))
            return pDib;
    } catch (...) {
        delete pDib;
        throw;
    }
    m_pszRefusal = pDib->GetRefusal();
    delete pDib;
    return nullptr;
}

LPCSTR cImageFile::GetFrameRefusal()
{
    return m_pszRefusal;
}

cDrawDib* cImageFile::GetFrameFormat(int nFrame)
{
    (void)nFrame;
    cDrawDib* pDib = new cDrawDib;
    try {
        CFile file;
        if (file.Open(GetName(-1), CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
            if (pDib->ReadFileHeader(file))
                pDib->ReadInfo(file);
            file.Close();
        }
    } catch (...) {
        delete pDib;
        throw;
    }
    return pDib;
}

int cImageFile::GetChildCount()
{
    return 0;
}

cTestNode* cImageFile::GetChild(int i)
{
    (void)i;
    return nullptr;
}
