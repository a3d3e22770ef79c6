// CArchive: buffering, the primitive encodings, and object references.
//
// Object references and their index numbering. Every class description and
// every object in one archive receives the next index, starting at 1, in the
// order they appear: a class before the first object of its class, an object
// before its own record (so before the objects it contains). A reference is
// one WORD tag:
//   0x0000           null
//   0xFFFF           a class not seen yet: WORD schema, WORD name length,
//                    the name; then the object's record
//   0x8000 | n       an object of the class with index n; its record follows
//   n (top bit 0)    the object with index n, written before
// The writer and the reader count in step, so the reader can resolve every
// tag from the indices it has given out itself. Class references above
// 0x7FFE (which would collide with 0xFFFF) and object references above 0x7FFF
// cannot be encoded; the writer refuses them rather than write a file that
// would read back wrong.
#include "Archive.h"
#include "ArchiveException.h"
#include "File.h"

#include <cstring>
#include <exception>

namespace {

const WORD wNullTag = 0x0000;
const WORD wNewClassTag = 0xFFFF;
const WORD wClassTag = 0x8000;
const UINT nMaxClassIndex = 0x7FFE;
const UINT nMaxObjectIndex = 0x7FFF;

// Class names of 64 bytes and more are never written; refusing them early
// bounds what a damaged file can make us allocate.
const WORD wMaxClassNameLength = 63;

// Counts the nesting of objects being read or written, on every exit path.
class CDepthGuard
{
public:
    explicit CDepthGuard(int& nDepth) : m_nDepth(nDepth) { ++m_nDepth; }
    ~CDepthGuard() { --m_nDepth; }
    CDepthGuard(const CDepthGuard&) = delete;
    CDepthGuard& operator=(const CDepthGuard&) = delete;

private:
    int& m_nDepth;
};

} // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize)
    : m_pDocument(nullptr), m_pFile(pFile), m_nMode(nMode),
      m_buffer(nBufSize < 128 ? 128 : nBufSize), m_nBufCur(0), m_nBufMax(0), m_bEndOfFile(FALSE),
      m_nDepth(0), m_nMapCount(1)
{
    ASSERT(pFile != nullptr);
    if (IsLoading())
        m_loadArray.push_back(CLoadEntry{nullptr, nullptr});   // index 0 is the null tag
}

// Whatever a storing archive still buffers when it is destroyed without
// Close is dropped, not written: the destructor cannot report a failure, and
// a save that ends here (an exception unwinding past it) must not pretend to
// have finished. Close is the only way data reaches the file.
CArchive::~CArchive()
{
    ASSERT(m_pFile == nullptr || IsLoading() || m_nBufCur == 0 || std::uncaught_exceptions() > 0);
}

void CArchive::CheckMode(BOOL bLoading) const
{
    ASSERT(m_pFile != nullptr);
    if (m_pFile == nullptr)
        ThrowArchive(CArchiveException::generic);
    ASSERT(IsLoading() == bLoading);
    if (IsLoading() != bLoading)
        ThrowArchive(bLoading ? CArchiveException::writeOnly : CArchiveException::readOnly);
}

void CArchive::ThrowArchive(int cause) const
{
    AfxThrowArchiveException(cause, m_pFile != nullptr ? static_cast<LPCSTR>(m_pFile->GetFilePath()) : nullptr);
}

// Buffering

void CArchive::FillBuffer()
{
    m_nBufCur = 0;
    m_nBufMax = 0;
    if (m_bEndOfFile)
        return;
    m_nBufMax = m_pFile->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
    if (m_nBufMax == 0)
        m_bEndOfFile = TRUE;
}

UINT CArchive::Read(void* lpBuf, UINT nMax)
{
    CheckMode(TRUE);
    BYTE* pDest = static_cast<BYTE*>(lpBuf);
    UINT nDone = 0;
    while (nDone < nMax) {
        if (m_nBufCur == m_nBufMax) {
            FillBuffer();
            if (m_nBufMax == 0)
                break;
        }
        UINT nChunk = m_nBufMax - m_nBufCur;
        if (nChunk > nMax - nDone)
            nChunk = nMax - nDone;
        std::memcpy(pDest + nDone, &m_buffer[m_nBufCur], nChunk);
        m_nBufCur += nChunk;
        nDone += nChunk;
    }
    return nDone;
}

void CArchive::ReadExact(void* lpBuf, UINT nCount)
{
    if (Read(lpBuf, nCount) != nCount)
        ThrowArchive(CArchiveException::endOfFile);
}

void CArchive::Write(const void* lpBuf, UINT nMax)
{
    CheckMode(FALSE);
    const BYTE* pSrc = static_cast<const BYTE*>(lpBuf);
    while (nMax > 0) {
        if (m_nBufCur == m_buffer.size())
            Flush();
        UINT nChunk = static_cast<UINT>(m_buffer.size()) - m_nBufCur;
        if (nChunk > nMax)
            nChunk = nMax;
        std::memcpy(&m_buffer[m_nBufCur], pSrc, nChunk);
        m_nBufCur += nChunk;
        pSrc += nChunk;
        nMax -= nChunk;
    }
}

void CArchive::Flush()
{
    if (m_pFile == nullptr || IsLoading())
        return;
    const UINT nCount = m_nBufCur;
    m_nBufCur = 0;      // dropped even if the write fails, so a later flush cannot repeat it
    m_pFile->Write(m_buffer.data(), nCount);
}

void CArchive::Close()
{
    Flush();
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_nBufCur = 0;
    m_pFile = nullptr;
}

// Primitives, little-endian like the processor

CArchive& CArchive::operator<<(BYTE by) { Write(&by, sizeof(by)); return *this; }
CArchive& CArchive::operator<<(WORD w) { Write(&w, sizeof(w)); return *this; }
CArchive& CArchive::operator<<(LONG l) { Write(&l, sizeof(l)); return *this; }
CArchive& CArchive::operator<<(DWORD dw) { Write(&dw, sizeof(dw)); return *this; }
CArchive& CArchive::operator>>(BYTE& by) { CheckMode(TRUE); ReadExact(&by, sizeof(by)); return *this; }
CArchive& CArchive::operator>>(WORD& w) { CheckMode(TRUE); ReadExact(&w, sizeof(w)); return *this; }
CArchive& CArchive::operator>>(LONG& l) { CheckMode(TRUE); ReadExact(&l, sizeof(l)); return *this; }
CArchive& CArchive::operator>>(DWORD& dw) { CheckMode(TRUE); ReadExact(&dw, sizeof(dw)); return *this; }

void CArchive::WriteCount(DWORD dwCount)
{
    // 0xFFFF would announce a longer form that is never written.
    if (dwCount >= 0xFFFF)
        ThrowArchive(CArchiveException::generic);
    *this << static_cast<WORD>(dwCount);
}

DWORD CArchive::ReadCount()
{
    WORD wCount;
    *this >> wCount;
    if (wCount == 0xFFFF)
        ThrowArchive(CArchiveException::generic);
    return wCount;
}

CArchive& operator<<(CArchive& ar, const CString& string)
{
    const int nLength = string.GetLength();
    if (nLength < 0xFF) {
        ar << static_cast<BYTE>(nLength);
    } else if (nLength < 0xFFFE) {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(nLength);
    } else {
        // The longer forms are never written; refuse rather than truncate.
        AfxThrowArchiveException(CArchiveException::generic);
    }
    ar.Write(static_cast<LPCSTR>(string), static_cast<UINT>(nLength));
    return ar;
}

CArchive& operator>>(CArchive& ar, CString& string)
{
    BYTE byLength;
    ar >> byLength;
    UINT nLength = byLength;
    if (byLength == 0xFF) {
        WORD wLength;
        ar >> wLength;
        // 0xFFFE and 0xFFFF escape to forms this program never writes.
        if (wLength >= 0xFFFE)
            AfxThrowArchiveException(CArchiveException::generic);
        nLength = wLength;
    }
    CString text;
    if (nLength > 0 && ar.Read(text.GetBufferSetLength(static_cast<int>(nLength)), nLength) != nLength)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    string = text;
    return ar;
}

// Classes and objects

void CArchive::WriteClass(const CRuntimeClass* pClassRef)
{
    ASSERT(pClassRef != nullptr && pClassRef->IsSerializable());
    CheckMode(FALSE);
    if (pClassRef == nullptr || !pClassRef->IsSerializable())
        ThrowArchive(CArchiveException::badClass);

    auto it = m_storeMap.find(pClassRef);
    if (it != m_storeMap.end()) {
        if (it->second > nMaxClassIndex)
            ThrowArchive(CArchiveException::generic);
        *this << static_cast<WORD>(wClassTag | it->second);
        return;
    }
    const size_t nNameLength = std::strlen(pClassRef->m_lpszClassName);
    ASSERT(nNameLength > 0 && nNameLength <= wMaxClassNameLength);
    *this << wNewClassTag << static_cast<WORD>(pClassRef->m_wSchema) << static_cast<WORD>(nNameLength);
    Write(pClassRef->m_lpszClassName, static_cast<UINT>(nNameLength));
    m_storeMap[pClassRef] = m_nMapCount++;
}

void CArchive::WriteObject(const CObject* pOb)
{
    CheckMode(FALSE);
    if (pOb == nullptr) {
        *this << wNullTag;
        return;
    }
    auto it = m_storeMap.find(pOb);
    if (it != m_storeMap.end()) {
        if (it->second > nMaxObjectIndex)
            ThrowArchive(CArchiveException::generic);
        *this << static_cast<WORD>(it->second);
        return;
    }
    CDepthGuard depth(m_nDepth);
    if (m_nDepth > nMaxObjectDepth)
        ThrowArchive(CArchiveException::generic);
    WriteClass(pOb->GetRuntimeClass());
    m_storeMap[pOb] = m_nMapCount++;
    const_cast<CObject*>(pOb)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadClassAfterTag(WORD wTag, const CRuntimeClass* pClassRefRequested)
{
    const CRuntimeClass* pClass = nullptr;
    if (wTag == wNewClassTag) {
        WORD wSchema, wLength;
        *this >> wSchema >> wLength;
        if (wLength == 0 || wLength > wMaxClassNameLength)
            ThrowArchive(CArchiveException::badClass);
        char szName[wMaxClassNameLength + 1];
        ReadExact(szName, wLength);
        szName[wLength] = '\0';
        // A name with a zero byte inside is not the name of any class.
        if (std::strlen(szName) != wLength)
            ThrowArchive(CArchiveException::badClass);
        pClass = CRuntimeClass::FromName(szName);
        if (pClass == nullptr || !pClass->IsSerializable() || pClass->m_pfnCreateObject == nullptr)
            ThrowArchive(CArchiveException::badClass);
        if (pClassRefRequested != nullptr && !pClass->IsDerivedFrom(pClassRefRequested))
            ThrowArchive(CArchiveException::badClass);
        if (pClass->m_wSchema != wSchema)
            ThrowArchive(CArchiveException::badSchema);
        m_loadArray.push_back(CLoadEntry{pClass, nullptr});
        ++m_nMapCount;
    } else {
        const UINT nIndex = wTag & ~wClassTag;
        if (nIndex == 0 || nIndex >= m_loadArray.size() || m_loadArray[nIndex].pClass == nullptr)
            ThrowArchive(CArchiveException::badIndex);
        pClass = m_loadArray[nIndex].pClass;
        if (pClassRefRequested != nullptr && !pClass->IsDerivedFrom(pClassRefRequested))
            ThrowArchive(CArchiveException::badClass);
    }
    return pClass;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema)
{
    CheckMode(TRUE);
    WORD wTag;
    *this >> wTag;
    if ((wTag & wClassTag) == 0)
        ThrowArchive(CArchiveException::badIndex);
    const CRuntimeClass* pClass = ReadClassAfterTag(wTag, pClassRefRequested);
    if (pSchema != nullptr)
        *pSchema = pClass->m_wSchema;
    return pClass;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested)
{
    return ReadObjectImpl(pClassRefRequested, FALSE);
}

CObject* CArchive::ReadNewObject(const CRuntimeClass* pClassRefRequested)
{
    return ReadObjectImpl(pClassRefRequested, TRUE);
}

CObject* CArchive::ReadObjectImpl(const CRuntimeClass* pClassRefRequested, BOOL bNewOnly)
{
    CheckMode(TRUE);
    CDepthGuard depth(m_nDepth);
    if (m_nDepth > nMaxObjectDepth)
        ThrowArchive(CArchiveException::generic);

    WORD wTag;
    *this >> wTag;
    if ((wTag & wClassTag) == 0) {
        // Null or an object read before.
        if (bNewOnly)
            ThrowArchive(CArchiveException::badIndex);
        if (wTag == wNullTag)
            return nullptr;
        if (wTag >= m_loadArray.size() || m_loadArray[wTag].pObject == nullptr)
            ThrowArchive(CArchiveException::badIndex);
        CObject* pOb = m_loadArray[wTag].pObject;
        if (pClassRefRequested != nullptr && !pOb->IsKindOf(pClassRefRequested))
            ThrowArchive(CArchiveException::badClass);
        return pOb;
    }

    const CRuntimeClass* pClass = ReadClassAfterTag(wTag, pClassRefRequested);
    CObject* pOb = pClass->CreateObject();
    if (pOb == nullptr)
        ThrowArchive(CArchiveException::badClass);
    const size_t nIndex = m_loadArray.size();
    try {
        m_loadArray.push_back(CLoadEntry{nullptr, pOb});
        ++m_nMapCount;
        pOb->Serialize(*this);
    } catch (...) {
        // The object was never handed out, so it is ours to free; its index
        // must not lead anyone to the freed memory.
        if (nIndex < m_loadArray.size())
            m_loadArray[nIndex].pObject = nullptr;
        delete pOb;
        throw;
    }
    return pOb;
}

CArchive& operator<<(CArchive& ar, const CObject* pOb)
{
    ar.WriteObject(pOb);
    return ar;
}

CArchive& operator>>(CArchive& ar, CObject*& pOb)
{
    pOb = ar.ReadObject(nullptr);
    return ar;
}
