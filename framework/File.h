// CFile: an unbuffered binary file on a Win32 handle. Failures of an open
// file throw CFileException; Open reports its failure by result.
#pragma once

#include "AfxString.h"
#include "Object.h"

class CFileException;

class CFile : public CObject
{
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,      // accepted; a CFile never translates line ends
        typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

// Construction
    CFile();
    explicit CFile(HANDLE hFile);               // takes the handle without owning it
    CFile(LPCSTR lpszFileName, UINT nOpenFlags); // throws CFileException on failure
    ~CFile() override;                          // closes an owned handle, never throws

    // Opens the file; on failure fills pError (when given) and returns FALSE.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

// Attributes
    HANDLE m_hFile;
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;                // the name without its folder
    virtual DWORD GetPosition() const;
    virtual DWORD GetLength() const;

// Operations
    virtual UINT Read(void* lpBuf, UINT nCount);    // the bytes read; fewer only at the end
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual LONG Seek(LONG lOff, UINT nFrom);
    DWORD SeekToEnd() { return static_cast<DWORD>(Seek(0, end)); }
    void SeekToBegin() { Seek(0, begin); }
    virtual void SetLength(DWORD dwNewLen);
    virtual void Flush();
    virtual void Close();                       // throws when the system reports a failure
    virtual void Abort();                       // closes and ignores failures

// Implementation
protected:
    [[noreturn]] void ThrowLastError() const;

    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};
