// CTestDoc: the project file, Import, and adding files to the tree.
#include "TestDoc.h"
#include "AVIFile.h"
#include "AnimationExport.h"
#include "BatchExport.h"
#include "AfxRes.h"
#include "FileException.h"
#include "FileDialog.h"
#include "FrameWalk.h"
#include "ImageFile.h"
#include "MessageBox.h"
#include "ProjectFile.h"
#include "Registry.h"
#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNCREATE(CTestDoc, CDocument)

BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
    ON_COMMAND(ID_FILE_IMPORT, OnImport)
END_MESSAGE_MAP()

namespace {

// The file name without folder and extension, and the extension without its dot.
void SplitName(LPCSTR lpszPathName, CString& strName, CString& strExtension)
{
    char szName[_MAX_FNAME];
    char szExtension[_MAX_EXT];
    ::_splitpath(lpszPathName, nullptr, nullptr, szName, szExtension);
    strName = szName;
    strExtension = szExtension[0] == '.' ? szExtension + 1 : szExtension;
}

// "frame007" gives "frame": a run of non-digits immediately followed by a number.
BOOL NumberedPrefix(const CString& strName, CString& strPrefix)
{
    char szPrefix[_MAX_FNAME];
    int nNumber = 0;
    if (std::sscanf(strName, "%255[^0123456789]%d", szPrefix, &nNumber) != 2)
        return FALSE;
    strPrefix = szPrefix;
    return TRUE;
}

} // namespace

CTestDoc::CTestDoc() : m_nExportsRunning(0)
{
}

int CTestDoc::CountFrames()
{
    return ::CountFrames(&m_root);
}

int CTestDoc::AddNode(cTestNode* pNode)
{
    if (pNode == nullptr)
        return 0;
    const int nIndex = m_root.GetSize();
    m_root.SetAtGrow(nIndex, pNode);
    return nIndex;
}

int CTestDoc::AddFile(LPCSTR lpszPathName)
{
    CString strName, strExtension;
    SplitName(lpszPathName, strName, strExtension);
    cTestNode* pNode;
    if (strExtension.CompareNoCase("bmp") != 0 && IsReadableMovieExtension(strExtension))
        pNode = new cAVIFile(lpszPathName);
    else
        pNode = new cImageFile(lpszPathName);   // any other file is taken as a still image
    return AddNode(pNode);
}

BOOL CTestDoc::IsProjectFileName(LPCSTR lpszPathName)
{
    CString strName, strExtension;
    SplitName(lpszPathName, strName, strExtension);
    return strExtension.CompareNoCase("seq") == 0;
}

cExportSettings CTestDoc::GetExportSettings(cExportSettings::Kind nKind) const
{
    cExportSettings settings;
    settings.nKind = nKind;
    settings.strOutput = m_options.m_strOutput;
    settings.nFrameRate = m_options.m_nFrameRate;
    // Read as signed, so that a loop count of -1 (stored as 0xFFFF) comes
    // back as -1, which the dialog accepts, and not as 65535, which it refuses.
    settings.nLoopCount = static_cast<short>(m_options.m_nLoopCount);
    settings.nTransparency = m_options.m_nTransparency;
    settings.bExpand = m_options.m_bExpand == 1;
    settings.nOutputWidth = static_cast<int>(m_options.m_nOutputWidth);
    settings.nOutputHeight = static_cast<int>(m_options.m_nOutputHeight);
    settings.nColours = static_cast<int>(m_options.m_nColours);
    settings.nLossiness = static_cast<int>(m_options.m_nLossiness);
    if (nKind == cExportSettings::animation)
        settings.dwMaxSize = m_options.m_dwMaxSize;
    return settings;
}

void CTestDoc::StoreExportSettings(const cExportSettings& settings)
{
    m_options.m_nTransparency = settings.nTransparency;
    m_options.m_nOutputWidth = static_cast<DWORD>(settings.nOutputWidth);
    m_options.m_nOutputHeight = static_cast<DWORD>(settings.nOutputHeight);
    m_options.m_nColours = static_cast<DWORD>(settings.nColours);
    m_options.m_nLossiness = static_cast<DWORD>(settings.nLossiness);
    if (settings.nKind == cExportSettings::animation) {
        m_options.m_strOutput = settings.strOutput;
        m_options.m_nFrameRate = LOWORD(static_cast<DWORD>(settings.nFrameRate));
        m_options.m_nLoopCount = LOWORD(static_cast<DWORD>(settings.nLoopCount));
        m_options.m_dwMaxSize = settings.dwMaxSize;
    } else {
        m_options.m_bExpand = settings.bExpand ? 1 : 0;
    }
}

cExportReport CTestDoc::Export(const cExportSettings& settings, cExportProgress* pProgress)
{
    cExportRunning running(this);
    if (settings.nKind == cExportSettings::animation)
        ExportAnimation(&m_root, settings, pProgress, GetPathName());
    else
        ExportBatch(&m_root, settings, pProgress, GetPathName());
    return pProgress->GetReport();
}

LPCSTR CTestDoc::WhyUnusablePath(LPCSTR lpszPathName)
{
    // Neither character can be in a file name: here they stand for
    // characters the conversion to the ANSI code page could not carry.
    if (std::strpbrk(lpszPathName, "?*") != nullptr)
        return "its name has characters this program cannot use";
    if (std::strlen(lpszPathName) >= MAX_PATH)
        return "its path is longer than 259 characters";
    return nullptr;
}

const char CTestDoc::kNotAddable[] = "neither a bitmap nor a movie that AVIFile can read";

CString CTestDoc::RefusedFilesMessage(const std::vector<CString>& lines)
{
    return AfxFormatList("These files cannot be added:", lines);
}

void CTestDoc::AddDroppedFiles(const std::vector<CString>& paths, std::vector<CString>* pSkipped)
{
    // Sequences gather only the files of this one call.
    CMapStringToPtr sequences(10);
    for (const CString& strPath : paths) {
        CString strName, strExtension, strPrefix;
        SplitName(strPath, strName, strExtension);
        if (strExtension.CompareNoCase("bmp") == 0) {
            if (!NumberedPrefix(strName, strPrefix)) {
                AddFile(strPath);
                continue;
            }
            void* pSequence = nullptr;
            if (!sequences.Lookup(strPrefix, pSequence)) {
                cImageList* pNew = new cImageList;
                pNew->SetName(strPrefix);
                AddNode(pNew);
                sequences.SetAt(strPrefix, pNew);
                pSequence = pNew;
            }
            cImageList* pList = static_cast<cImageList*>(pSequence);
            pList->SetAtGrow(pList->GetSize(), new cImageFile(strPath));
        } else if (IsReadableMovieExtension(strExtension)) {
            cAVIFile* pMovie = new cAVIFile;
            pMovie->m_strPath = strPath;
            pMovie->SetName(strPath);
            AddNode(pMovie);
        } else if (pSkipped != nullptr) {
            pSkipped->push_back(strPath);
        }
    }
}

void CTestDoc::Serialize(CArchive& ar)
{
    cProjectFile::Serialize(ar, m_root, m_options);
}

void CTestDoc::DeleteContents()
{
    UpdateAllViews(nullptr, hintEmptying);
    m_root.DeleteAll();
    CDocument::DeleteContents();    // the settings stay: they outlive New
}

BOOL CTestDoc::SaveModified()
{
    if (IsExportRunning()) {
        ::MessageBeep(MB_ICONEXCLAMATION);
        return FALSE;
    }
    return CDocument::SaveModified();
}

BOOL CTestDoc::OnNewDocument()
{
    return CDocument::OnNewDocument() ? TRUE : FALSE;
}

BOOL CTestDoc::OnOpenDocument(LPCSTR lpszPathName)
{
    CFile* pFile = OpenForLoading(lpszPathName);
    if (pFile == nullptr)
        return FALSE;
    BYTE mark[4] = {0, 0, 0, 0};
    UINT nRead = 0;
    try {
        nRead = pFile->Read(mark, sizeof mark);
        ReleaseFile(pFile, TRUE);
    } catch (CException* e) {
        ReleaseFile(pFile, TRUE);
        ReportSaveLoadException(lpszPathName, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        e->Delete();
        return FALSE;
    }
    if (!cProjectFile::HasProjectMark(mark, nRead)) {
        AfxMessageBox("Unsupported file format.", MB_OK);
        return FALSE;
    }
    return CDocument::OnOpenDocument(lpszPathName) ? TRUE : FALSE;
}

void CTestDoc::OnImport()
{
    CFileDialog dlg(TRUE, "bmp", nullptr, 0,
                    "Images (*.bmp)|*.bmp|Movies (*.avi)|*.avi|All files|*.bmp;*.avi||");
    if (dlg.DoModal() != IDOK)
        return;
    const CString strPath = dlg.GetPathName();
    // The dialog hands back an ANSI name: a character it could not carry
    // would make it name no file, or another one.
    LPCSTR pszWhy = WhyUnusablePath(strPath);
    if (pszWhy == nullptr && ::GetFileAttributesA(strPath) == INVALID_FILE_ATTRIBUTES)
        pszWhy = "it cannot be found under this name";
    if (pszWhy != nullptr) {
        AfxMessageBox(RefusedFilesMessage({strPath + ": " + pszWhy}));
        return;
    }
    AddFile(strPath);
    SetModifiedFlag();
    UpdateAllViews(nullptr, 0, nullptr);
}
