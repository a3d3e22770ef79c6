// CDocument's save: the whole document goes to a new file first, and the old
// file is replaced only when every byte is written, so a full disk, like any
// failed write, leaves the project the user had.
#include "Afx.h"
#include "Document.h"
#include "WinApp.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CRecordingApp : public CWinApp
{
public:
    CRecordingApp() : CWinApp("Framewise") {}
    int DoMessageBox(LPCSTR lpszPrompt, UINT, UINT) override
    {
        m_messages.push_back(lpszPrompt);
        return IDOK;
    }
    std::vector<std::string> m_messages;
};

CRecordingApp theApp;

// A file on a disk with room for only so many more bytes.
class CFullDiskFile : public CFile
{
public:
    explicit CFullDiskFile(UINT nRoom) : m_nRoom(nRoom) {}
    void Write(const void* lpBuf, UINT nCount) override
    {
        if (nCount > m_nRoom)
            AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, GetFilePath());
        m_nRoom -= nCount;
        CFile::Write(lpBuf, nCount);
    }

private:
    UINT m_nRoom;
};

class CBytesDoc : public CDocument
{
public:
    void Serialize(CArchive& ar) override
    {
        ASSERT(ar.IsStoring());
        ar.Write(m_bytes.data(), static_cast<UINT>(m_bytes.size()));
    }
    CFile* GetFile(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) override
    {
        if ((nOpenFlags & CFile::modeCreate) == 0 || m_nRoom == UINT(-1))
            return CDocument::GetFile(lpszFileName, nOpenFlags, pError);
        CFullDiskFile* pFile = new CFullDiskFile(m_nRoom);
        if (!pFile->Open(lpszFileName, nOpenFlags, pError)) {
            delete pFile;
            return nullptr;
        }
        return pFile;
    }

    std::vector<BYTE> m_bytes;
    UINT m_nRoom = UINT(-1);
};

} // namespace

TEST(CDocument, SaveToAFullDiskKeepsTheOldFileAndTheModifiedFlag)
{
    const std::string path = testsupport::WorkPath("full disk.seq");
    const std::vector<BYTE> old = {'o', 'l', 'd'};
    ASSERT_TRUE(testsupport::WriteFileBytes(path, old.data(), old.size()));

    CBytesDoc doc;
    doc.m_bytes.assign(100000, 0x5A);
    doc.SetModifiedFlag(TRUE);
    doc.m_nRoom = 5000;
    theApp.m_messages.clear();
    EXPECT_FALSE(doc.OnSaveDocument(path.c_str()));
    EXPECT_EQ(old, testsupport::ReadFileBytes(path));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(1u, theApp.m_messages.size());
    EXPECT_NE(std::string::npos, theApp.m_messages[0].find(path));

    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(testsupport::WorkPath("sav*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, hFind) << "a temporary file was left: " << found.cFileName;
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);

    // With room enough the new file takes the old one's place.
    doc.m_nRoom = UINT(-1);
    EXPECT_TRUE(doc.OnSaveDocument(path.c_str()));
    EXPECT_EQ(doc.m_bytes, testsupport::ReadFileBytes(path));
    EXPECT_FALSE(doc.IsModified());
}
