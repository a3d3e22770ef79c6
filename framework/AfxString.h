// CString: the framework's 8-bit character string, always terminated, with
// the length kept alongside so that it may hold any bytes.
#pragma once

#include "AfxDefs.h"

#include <cstdarg>

class CString
{
public:
// Construction
    CString();
    CString(const CString& stringSrc);
    CString(LPCSTR lpsz);                       // null gives an empty string
    CString(LPCSTR lpch, int nLength);
    CString(char ch, int nRepeat = 1);
    ~CString();

    const CString& operator=(const CString& stringSrc);
    const CString& operator=(LPCSTR lpsz);
    const CString& operator=(char ch);

// Attributes
    int GetLength() const { return m_nDataLength; }
    BOOL IsEmpty() const { return m_nDataLength == 0; }
    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }
    void SetAt(int nIndex, char ch);
    operator LPCSTR() const { return m_pchData; }

// Operations
    void Empty();
    const CString& operator+=(const CString& string);
    const CString& operator+=(LPCSTR lpsz);
    const CString& operator+=(char ch);
    friend CString operator+(const CString& string1, const CString& string2);
    friend CString operator+(const CString& string, LPCSTR lpsz);
    friend CString operator+(LPCSTR lpsz, const CString& string);
    friend CString operator+(const CString& string, char ch);

    int Compare(LPCSTR lpsz) const;             // like strcmp
    int CompareNoCase(LPCSTR lpsz) const;       // like _stricmp

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    void MakeUpper();
    void MakeLower();

    int Find(char ch) const;                    // -1 when absent
    int Find(LPCSTR lpszSub) const;
    int ReverseFind(char ch) const;

    // The string resource nID of the program; FALSE (and empty) when absent.
    BOOL LoadString(UINT nID);
    void Format(LPCSTR lpszFormat, ...);
    void FormatV(LPCSTR lpszFormat, va_list argList);

    // Direct access to the characters: room for at least nMinBufLength of
    // them plus a terminator; ReleaseBuffer sets the length (-1: up to the
    // first terminator).
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);
    LPSTR GetBufferSetLength(int nNewLength);

// Implementation
private:
    void AllocBuffer(int nLength);              // room for nLength + terminator, old text dropped
    void AssignCopy(LPCSTR lpch, int nLength);
    void ConcatInPlace(LPCSTR lpch, int nLength);
    void FreeData();

    LPSTR m_pchData;                            // never null; the shared empty text when nothing is held
    int m_nDataLength;
    int m_nAllocLength;
};

bool operator==(const CString& s1, const CString& s2);
bool operator==(const CString& s1, LPCSTR s2);
bool operator==(LPCSTR s1, const CString& s2);
bool operator!=(const CString& s1, const CString& s2);
bool operator!=(const CString& s1, LPCSTR s2);
bool operator!=(LPCSTR s1, const CString& s2);
bool operator<(const CString& s1, const CString& s2);
