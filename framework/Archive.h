// CArchive: the buffered binary stream that objects serialise themselves
// into and out of, with class descriptions and object references.
#pragma once

#include "AfxString.h"
#include "Object.h"

#include <map>
#include <vector>

class CArchive
{
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2 };   // the last is accepted and changes nothing

    // Objects nested deeper than this are refused when written and when read,
    // so that a hostile file cannot exhaust the stack through recursion.
    enum { nMaxObjectDepth = 256 };

// Construction
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096);
    ~CArchive();                                // drops what Close did not write; never throws
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

// Attributes
    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    CFile* GetFile() const { return m_pFile; }

    // The document being stored or loaded, for objects that need it; the
    // document sets it, the archive only carries it.
    CDocument* m_pDocument;

// Operations
    UINT Read(void* lpBuf, UINT nMax);          // the bytes read; fewer only at the end of the file
    void Write(const void* lpBuf, UINT nMax);
    void Flush();
    void Close();                               // flushes and detaches from the file, which stays open
    void Abort();                               // detaches without writing what is buffered

    CArchive& operator<<(BYTE by);
    CArchive& operator<<(WORD w);
    CArchive& operator<<(LONG l);
    CArchive& operator<<(DWORD dw);
    CArchive& operator>>(BYTE& by);
    CArchive& operator>>(WORD& w);
    CArchive& operator>>(LONG& l);
    CArchive& operator>>(DWORD& dw);

    // Element counts of arrays: one WORD.
    void WriteCount(DWORD dwCount);
    DWORD ReadCount();

    void WriteObject(const CObject* pOb);
    // An object reference of any kind (null, new, or one read before) whose
    // class must derive from pClassRefRequested (when given).
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    // A reference that must introduce a new object of a class derived from
    // pClassRefRequested. Owning containers read their elements this way, so
    // that a damaged file cannot give them a hole or a shared element.
    CObject* ReadNewObject(const CRuntimeClass* pClassRefRequested);

    void WriteClass(const CRuntimeClass* pClassRef);
    const CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr);

// Implementation
private:
    struct CLoadEntry
    {
        const CRuntimeClass* pClass;            // set for a class description
        CObject* pObject;                       // set for an object
    };

    void ReadExact(void* lpBuf, UINT nCount);   // throws endOfFile when the data ends early
    void FillBuffer();
    CObject* ReadObjectImpl(const CRuntimeClass* pClassRefRequested, BOOL bNewOnly);
    const CRuntimeClass* ReadClassAfterTag(WORD wTag, const CRuntimeClass* pClassRefRequested);
    [[noreturn]] void ThrowArchive(int cause) const;
    void CheckMode(BOOL bLoading) const;

    CFile* m_pFile;
    UINT m_nMode;
    std::vector<BYTE> m_buffer;
    UINT m_nBufCur;                             // next byte to read or write
    UINT m_nBufMax;                             // end of the valid bytes when loading
    BOOL m_bEndOfFile;                          // the file gave everything it had
    int m_nDepth;

    std::map<const void*, UINT> m_storeMap;     // class or object -> index, when storing
    std::vector<CLoadEntry> m_loadArray;        // index -> class or object, when loading
    UINT m_nMapCount;                           // indices given so far (index 0 is null)
};

CArchive& operator<<(CArchive& ar, const CObject* pOb);
CArchive& operator>>(CArchive& ar, CObject*& pOb);
CArchive& operator<<(CArchive& ar, const CString& string);
CArchive& operator>>(CArchive& ar, CString& string);
