// CString: storage management and the text operations.
#include "AfxString.h"
#include "MemoryException.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

char g_chNil = '\0';

} // namespace

CString::CString() : m_pchData(&g_chNil), m_nDataLength(0), m_nAllocLength(0)
{
}

CString::CString(const CString& stringSrc) : CString()
{
    AssignCopy(stringSrc.m_pchData, stringSrc.m_nDataLength);
}

CString::CString(LPCSTR lpsz) : CString()
{
    if (lpsz != nullptr)
        AssignCopy(lpsz, static_cast<int>(std::strlen(lpsz)));
}

CString::CString(LPCSTR lpch, int nLength) : CString()
{
    ASSERT(nLength >= 0 && (nLength == 0 || lpch != nullptr));
    AssignCopy(lpch, nLength);
}

CString::CString(char ch, int nRepeat) : CString()
{
    if (nRepeat > 0) {
        AllocBuffer(nRepeat);
        std::memset(m_pchData, ch, nRepeat);
        m_nDataLength = nRepeat;
        m_pchData[nRepeat] = '\0';
    }
}

CString::~CString()
{
    FreeData();
}

const CString& CString::operator=(const CString& stringSrc)
{
    if (this != &stringSrc)
        AssignCopy(stringSrc.m_pchData, stringSrc.m_nDataLength);
    return *this;
}

const CString& CString::operator=(LPCSTR lpsz)
{
    if (lpsz == nullptr) {
        Empty();
    } else if (lpsz >= m_pchData && lpsz <= m_pchData + m_nDataLength) {
        // Assigning a tail of itself: copy before the buffer is replaced.
        CString copy(lpsz);
        *this = copy;
    } else {
        AssignCopy(lpsz, static_cast<int>(std::strlen(lpsz)));
    }
    return *this;
}

const CString& CString::operator=(char ch)
{
    AssignCopy(&ch, 1);
    return *this;
}

char CString::GetAt(int nIndex) const
{
    ASSERT(nIndex >= 0 && nIndex < m_nDataLength);
    return m_pchData[nIndex];
}

void CString::SetAt(int nIndex, char ch)
{
    ASSERT(nIndex >= 0 && nIndex < m_nDataLength);
    m_pchData[nIndex] = ch;
}

void CString::Empty()
{
    FreeData();
}

const CString& CString::operator+=(const CString& string)
{
    if (this == &string) {
        CString copy(string);
        ConcatInPlace(copy.m_pchData, copy.m_nDataLength);
    } else {
        ConcatInPlace(string.m_pchData, string.m_nDataLength);
    }
    return *this;
}

const CString& CString::operator+=(LPCSTR lpsz)
{
    if (lpsz != nullptr) {
        CString copy(lpsz);         // lpsz may point into this string
        ConcatInPlace(copy.m_pchData, copy.m_nDataLength);
    }
    return *this;
}

const CString& CString::operator+=(char ch)
{
    ConcatInPlace(&ch, 1);
    return *this;
}

CString operator+(const CString& string1, const CString& string2)
{
    CString result(string1);
    result += string2;
    return result;
}

CString operator+(const CString& string, LPCSTR lpsz)
{
    CString result(string);
    result += lpsz;
    return result;
}

CString operator+(LPCSTR lpsz, const CString& string)
{
    CString result(lpsz);
    result += string;
    return result;
}

CString operator+(const CString& string, char ch)
{
    CString result(string);
    result += ch;
    return result;
}

int CString::Compare(LPCSTR lpsz) const
{
    return std::strcmp(m_pchData, lpsz != nullptr ? lpsz : "");
}

int CString::CompareNoCase(LPCSTR lpsz) const
{
    return ::_stricmp(m_pchData, lpsz != nullptr ? lpsz : "");
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, m_nDataLength - (nFirst < 0 ? 0 : nFirst));
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > m_nDataLength)
        nFirst = m_nDataLength;
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nDataLength - nFirst)
        nCount = m_nDataLength - nFirst;
    return CString(m_pchData + nFirst, nCount);
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount > m_nDataLength)
        nCount = m_nDataLength;
    return CString(m_pchData + m_nDataLength - nCount, nCount);
}

void CString::MakeUpper()
{
    if (m_nDataLength > 0)
        ::CharUpperBuffA(m_pchData, m_nDataLength);
}

void CString::MakeLower()
{
    if (m_nDataLength > 0)
        ::CharLowerBuffA(m_pchData, m_nDataLength);
}

int CString::Find(char ch) const
{
    const void* p = std::memchr(m_pchData, ch, m_nDataLength);
    return p == nullptr ? -1 : static_cast<int>(static_cast<const char*>(p) - m_pchData);
}

int CString::Find(LPCSTR lpszSub) const
{
    ASSERT(lpszSub != nullptr);
    const char* p = std::strstr(m_pchData, lpszSub);
    return p == nullptr ? -1 : static_cast<int>(p - m_pchData);
}

int CString::ReverseFind(char ch) const
{
    for (int i = m_nDataLength - 1; i >= 0; --i)
        if (m_pchData[i] == ch)
            return i;
    return -1;
}

void CString::Format(LPCSTR lpszFormat, ...)
{
    va_list argList;
    va_start(argList, lpszFormat);
    FormatV(lpszFormat, argList);
    va_end(argList);
}

void CString::FormatV(LPCSTR lpszFormat, va_list argList)
{
    ASSERT(lpszFormat != nullptr);
    va_list argCopy;
    va_copy(argCopy, argList);
    const int nLength = std::vsnprintf(nullptr, 0, lpszFormat, argCopy);
    va_end(argCopy);
    if (nLength < 0) {
        Empty();
        return;
    }
    CString result;
    result.AllocBuffer(nLength);
    std::vsnprintf(result.m_pchData, nLength + 1, lpszFormat, argList);
    result.m_nDataLength = nLength;
    *this = result;
}

BOOL CString::LoadString(UINT nID)
{
    // A string resource holds at most 4096 characters less one.
    char szBuffer[4096];
    const int nLength = ::LoadStringA(::GetModuleHandleA(nullptr), nID, szBuffer, sizeof szBuffer);
    AssignCopy(szBuffer, nLength);
    return nLength > 0;
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    ASSERT(nMinBufLength >= 0);
    if (nMinBufLength > m_nAllocLength) {
        CString old(*this);
        AllocBuffer(nMinBufLength);
        std::memcpy(m_pchData, old.m_pchData, old.m_nDataLength + 1);
        m_nDataLength = old.m_nDataLength;
    } else if (m_pchData == &g_chNil) {
        // Never hand out the shared empty text for writing.
        AllocBuffer(0);
        m_pchData[0] = '\0';
    }
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (m_pchData == &g_chNil)
        return;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(::strnlen(m_pchData, m_nAllocLength));
    ASSERT(nNewLength <= m_nAllocLength);
    if (nNewLength > m_nAllocLength)
        nNewLength = m_nAllocLength;
    m_nDataLength = nNewLength;
    m_pchData[nNewLength] = '\0';
}

LPSTR CString::GetBufferSetLength(int nNewLength)
{
    GetBuffer(nNewLength);
    m_nDataLength = nNewLength;
    m_pchData[nNewLength] = '\0';
    return m_pchData;
}

void CString::AllocBuffer(int nLength)
{
    ASSERT(nLength >= 0);
    if (nLength < 0 || nLength == INT_MAX)
        AfxThrowMemoryException();
    char* pNew = new (std::nothrow) char[static_cast<size_t>(nLength) + 1];
    if (pNew == nullptr)
        AfxThrowMemoryException();
    FreeData();
    m_pchData = pNew;
    m_pchData[0] = '\0';
    m_nAllocLength = nLength;
    m_nDataLength = 0;
}

void CString::AssignCopy(LPCSTR lpch, int nLength)
{
    if (nLength == 0) {
        Empty();
        return;
    }
    if (nLength > m_nAllocLength)
        AllocBuffer(nLength);
    std::memmove(m_pchData, lpch, nLength);
    m_nDataLength = nLength;
    m_pchData[nLength] = '\0';
}

void CString::ConcatInPlace(LPCSTR lpch, int nLength)
{
    if (nLength == 0)
        return;
    if (nLength > INT_MAX - 1 - m_nDataLength)
        AfxThrowMemoryException();
    const int nNewLength = m_nDataLength + nLength;
    if (nNewLength > m_nAllocLength) {
        // Grow by half again so that appending in a loop stays linear.
        int nAlloc = m_nAllocLength + m_nAllocLength / 2;
        if (nAlloc < nNewLength || nAlloc >= INT_MAX - 1)
            nAlloc = nNewLength;
        char* pNew = new (std::nothrow) char[static_cast<size_t>(nAlloc) + 1];
        if (pNew == nullptr)
            AfxThrowMemoryException();
        std::memcpy(pNew, m_pchData, m_nDataLength);
        const int nOldLength = m_nDataLength;
        FreeData();
        m_pchData = pNew;
        m_nAllocLength = nAlloc;
        m_nDataLength = nOldLength;
    }
    std::memcpy(m_pchData + m_nDataLength, lpch, nLength);
    m_nDataLength = nNewLength;
    m_pchData[nNewLength] = '\0';
}

void CString::FreeData()
{
    // GetBuffer(0) on an empty string owns a block with no room in it, so the
    // block itself, not its size, tells what is owned.
    if (m_pchData != &g_chNil)
        delete[] m_pchData;
    m_pchData = &g_chNil;
    m_nDataLength = 0;
    m_nAllocLength = 0;
}

bool operator==(const CString& s1, const CString& s2)
{
    return s1.GetLength() == s2.GetLength() && std::memcmp(static_cast<LPCSTR>(s1), static_cast<LPCSTR>(s2), s1.GetLength()) == 0;
}

bool operator==(const CString& s1, LPCSTR s2) { return s1.Compare(s2) == 0; }
bool operator==(LPCSTR s1, const CString& s2) { return s2.Compare(s1) == 0; }
bool operator!=(const CString& s1, const CString& s2) { return !(s1 == s2); }
bool operator!=(const CString& s1, LPCSTR s2) { return !(s1 == s2); }
bool operator!=(LPCSTR s1, const CString& s2) { return !(s1 == s2); }
bool operator<(const CString& s1, const CString& s2) { return s1.Compare(s2) < 0; }
