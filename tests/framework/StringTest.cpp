// CString: construction, the text operations and buffer access.
#include "AfxString.h"

#include <gtest/gtest.h>

#include <string>

TEST(CString, EmptyAndNullAreEmpty)
{
    CString a, b(static_cast<LPCSTR>(nullptr));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_STREQ("", static_cast<LPCSTR>(a));
    EXPECT_EQ(a, b);
}

TEST(CString, HoldsEmbeddedZeroBytes)
{
    CString s("a\0b", 3);
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ('b', s[2]);
    EXPECT_NE(s, CString("a"));
}

TEST(CString, Substrings)
{
    struct Case { const char* what; CString result; const char* expected; };
    const CString s("C:\\clips\\walk.avi");
    const Case cases[] = {
        {"Left(2)", s.Left(2), "C:"},
        {"Left past end", s.Left(100), "C:\\clips\\walk.avi"},
        {"Left(-1)", s.Left(-1), ""},
        {"Mid(3)", s.Mid(3), "clips\\walk.avi"},
        {"Mid(3, 5)", s.Mid(3, 5), "clips"},
        {"Mid past end", s.Mid(50, 2), ""},
        {"Right(3)", s.Right(3), "avi"},
        {"Right past start", s.Right(99), "C:\\clips\\walk.avi"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, static_cast<LPCSTR>(c.result)) << c.what;
}

TEST(CString, Searching)
{
    const CString s("a.b.avi");
    EXPECT_EQ(1, s.Find('.'));
    EXPECT_EQ(3, s.ReverseFind('.'));
    EXPECT_EQ(4, s.Find("avi"));
    EXPECT_EQ(-1, s.Find('x'));
    EXPECT_EQ(-1, s.ReverseFind('x'));
}

TEST(CString, ConcatenationIncludingItself)
{
    CString s("ab");
    s += s;
    EXPECT_STREQ("abab", static_cast<LPCSTR>(s));
    s += static_cast<LPCSTR>(s) + 1;       // a tail of itself
    EXPECT_STREQ("abab" "bab", static_cast<LPCSTR>(s));
    s = static_cast<LPCSTR>(s) + 4;         // assignment from a tail of itself
    EXPECT_STREQ("bab", static_cast<LPCSTR>(s));
    EXPECT_STREQ("Image : x", static_cast<LPCSTR>(CString("Image : ") + "x"));
    EXPECT_STREQ("xy", static_cast<LPCSTR>("x" + CString("y")));
    EXPECT_STREQ("x!", static_cast<LPCSTR>(CString("x") + '!'));

    // Many small appends keep every byte.
    CString grown;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        grown += static_cast<char>('a' + i % 26);
        expected += static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(expected, std::string(grown));
}

TEST(CString, ComparisonAndCase)
{
    EXPECT_EQ(0, CString("BMP").CompareNoCase("bmp"));
    EXPECT_NE(0, CString("BMP").Compare("bmp"));
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    CString s("Mixed.Bmp");
    s.MakeUpper();
    EXPECT_STREQ("MIXED.BMP", static_cast<LPCSTR>(s));
    s.MakeLower();
    EXPECT_STREQ("mixed.bmp", static_cast<LPCSTR>(s));
}

TEST(CString, FormatAndBuffer)
{
    CString s;
    s.Format("%s%03d%s", "walk", 7, ".avi");
    EXPECT_STREQ("walk007.avi", static_cast<LPCSTR>(s));
    s.Format("%d", 1234);
    EXPECT_STREQ("1234", static_cast<LPCSTR>(s));

    CString b;
    char* p = b.GetBuffer(10);
    strcpy(p, "hello");
    b.ReleaseBuffer();
    EXPECT_EQ(5, b.GetLength());
    p = b.GetBuffer(2);                     // keeps the text when big enough
    EXPECT_STREQ("hello", p);
    b.ReleaseBuffer(2);
    EXPECT_STREQ("he", static_cast<LPCSTR>(b));
    b.GetBufferSetLength(4)[3] = 'z';
    EXPECT_EQ(4, b.GetLength());
    EXPECT_EQ('z', b[3]);
}
