// CFile: the open modes, sharing, short reads and the exceptions it throws.
#include "File.h"
#include "FileException.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using testsupport::WorkPath;

TEST(CFile, CreateWriteReadAndLength)
{
    const std::string path = WorkPath("file-basic.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        file.Write("abcdef", 6);
        EXPECT_EQ(6u, file.GetLength());
        file.Close();
        EXPECT_FALSE(file.IsOpen());
    }
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    char buffer[16] = {};
    EXPECT_EQ(4u, file.Read(buffer, 4));
    EXPECT_EQ(4u, file.GetPosition());
    EXPECT_EQ(2u, file.Read(buffer, sizeof(buffer)));    // short at the end, no exception
    EXPECT_EQ(0u, file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(0, file.Seek(0, CFile::begin));
    EXPECT_EQ("file-basic.bin", std::string(file.GetFileName()));
}

TEST(CFile, NoTruncateKeepsContentAndCreateTruncates)
{
    const std::string path = WorkPath("file-truncate.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "12345", 5));
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
        EXPECT_EQ(5u, file.GetLength());
    }
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        EXPECT_EQ(0u, file.GetLength());
    }
}

TEST(CFile, OpenFailuresReportTheirCause)
{
    CFile file;
    CFileException e;
    EXPECT_FALSE(file.Open(WorkPath("no-such-file.bin").c_str(), CFile::modeRead, &e));
    EXPECT_EQ(CFileException::fileNotFound, e.m_cause);
    EXPECT_FALSE(file.IsOpen());

    const std::string path = WorkPath("file-shared.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "x", 1));
    CFile reader;
    ASSERT_TRUE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    CFile writer;
    EXPECT_FALSE(writer.Open(path.c_str(), CFile::modeWrite | CFile::shareDenyNone, &e));
    EXPECT_EQ(CFileException::sharingViolation, e.m_cause);
    CFile secondReader;
    EXPECT_TRUE(secondReader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
}

TEST(CFile, ConstructorThrowsFileException)
{
    CFileException* pCaught = nullptr;
    try {
        CFile file(WorkPath("missing\\deeper\\x.bin").c_str(), CFile::modeRead);
    } catch (CFileException* e) {
        pCaught = e;
    }
    ASSERT_NE(nullptr, pCaught);
    EXPECT_EQ(CFileException::badPath, pCaught->m_cause);
    char text[128];
    EXPECT_TRUE(pCaught->GetErrorMessage(text, sizeof(text)));
    pCaught->Delete();
}

TEST(CFile, WriteToReadOnlyHandleThrows)
{
    const std::string path = WorkPath("file-readonly.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "x", 1));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    bool bThrown = false;
    try {
        file.Write("y", 1);
    } catch (CFileException* e) {
        bThrown = true;
        EXPECT_EQ(CFileException::accessDenied, e->m_cause);
        e->Delete();
    }
    EXPECT_TRUE(bThrown);
}
