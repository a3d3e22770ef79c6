// The project file's size record: written only for a project with size
// choices, in a file of version 2 that builds without it refuse; a project
// without them is saved byte for byte as before.
#include "ProjectFiles.h"

#include <gtest/gtest.h>

using namespace projects;

namespace {

// An empty project's file up to its settings, and the settings record.
const Bytes kEmptyHead = {0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kInitialSettings = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0};

Bytes Dword(DWORD n)
{
    return {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
}

// The size record: version 0, width, height, colours, lossiness, largest size.
Bytes SizeRecord(DWORD width, DWORD height, DWORD colours, DWORD lossiness, DWORD maxSize)
{
    return Concat({Dword(0), Dword(width), Dword(height), Dword(colours), Dword(lossiness), Dword(maxSize)});
}

// The empty project's file of version 2 with this size record.
Bytes Version2(const Bytes& sizeRecord)
{
    Bytes head = kEmptyHead;
    head[4] = 2;
    return Concat({head, kInitialSettings, sizeRecord});
}

struct Choices
{
    DWORD width, height, colours, lossiness, maxSize;
};

void Set(cGifOptions& o, const Choices& c)
{
    o.m_nOutputWidth = c.width;
    o.m_nOutputHeight = c.height;
    o.m_nColours = c.colours;
    o.m_nLossiness = c.lossiness;
    o.m_dwMaxSize = c.maxSize;
}

} // namespace

// Each choice alone, and all of them, make a version-2 file: the version-1
// bytes with the version changed and the size record after the settings;
// and they load back as they were.
TEST(ProjectFileSize, ChoicesMakeVersionTwoAndRoundTrip)
{
    const Choices cases[] = {
        {320, 0, 256, 0, 0}, {0, 200, 256, 0, 0}, {0, 0, 2, 0, 0}, {0, 0, 256, 200, 0},
        {0, 0, 256, 0, 2 * 1024 * 1024}, {65535, 65535, 17, 1, 0xFFFFFFFF},
    };
    for (const Choices& c : cases) {
        cImageList root;
        cGifOptions options;
        Set(options, c);
        const Bytes bytes = Save(root, options);
        EXPECT_EQ(Version2(SizeRecord(c.width, c.height, c.colours, c.lossiness, c.maxSize)), bytes)
            << c.width << " " << c.height << " " << c.colours << " " << c.lossiness << " " << c.maxSize;
        cImageList loadedRoot;
        cGifOptions loaded;
        ASSERT_EQ(-1, Load(bytes, loadedRoot, loaded));
        EXPECT_EQ(c.width, loaded.m_nOutputWidth);
        EXPECT_EQ(c.height, loaded.m_nOutputHeight);
        EXPECT_EQ(c.colours, loaded.m_nColours);
        EXPECT_EQ(c.lossiness, loaded.m_nLossiness);
        EXPECT_EQ(c.maxSize, loaded.m_dwMaxSize);
    }
}

// Choices set back to their defaults give the file of before, which a
// version-1 reader takes; loading a version-1 file clears choices held.
TEST(ProjectFileSize, DefaultsKeepVersionOneBytes)
{
    cImageList root;
    cGifOptions options;
    Set(options, {640, 480, 64, 80, 1000});
    ASSERT_EQ(2, Save(root, options)[4]);
    Set(options, {0, 0, 256, 0, 0});
    const Bytes bytes = Save(root, options);
    EXPECT_EQ(Concat({kEmptyHead, kInitialSettings}), bytes);

    cGifOptions held;
    Set(held, {640, 480, 64, 80, 1000});
    ASSERT_EQ(-1, Load(bytes, root, held));
    EXPECT_FALSE(held.HasSizeChoices());
}

// What cannot be read is refused whole, the settings held unchanged: a
// newer file version (as version 2 is to a build of version 1), a size
// record of another version, values out of range, a record cut short.
TEST(ProjectFileSize, DamagedOrNewerFilesAreRefused)
{
    struct Case
    {
        Bytes bytes;
        int cause;
    };
    Bytes newer = Version2(SizeRecord(1, 2, 3, 4, 5));
    newer[4] = 3;
    Bytes recordVersion = Version2(SizeRecord(1, 2, 3, 4, 5));
    recordVersion[38] = 1;
    Bytes cut = Version2(SizeRecord(1, 2, 3, 4, 5));
    cut.resize(cut.size() - 3);
    const Case cases[] = {
        {newer, CArchiveException::badSchema},
        {recordVersion, CArchiveException::badSchema},
        {Version2(SizeRecord(65536, 0, 256, 0, 0)), CArchiveException::generic},
        {Version2(SizeRecord(0, 70000, 256, 0, 0)), CArchiveException::generic},
        {Version2(SizeRecord(0, 0, 1, 0, 0)), CArchiveException::generic},
        {Version2(SizeRecord(0, 0, 257, 0, 0)), CArchiveException::generic},
        {Version2(SizeRecord(0, 0, 256, 201, 0)), CArchiveException::generic},
        {cut, CArchiveException::endOfFile},
    };
    for (const Case& c : cases) {
        cImageList root;
        cGifOptions options;
        options.m_nFrameRate = 12;
        Set(options, {7, 8, 9, 10, 11});
        EXPECT_EQ(c.cause, Load(c.bytes, root, options)) << "case " << &c - cases;
        EXPECT_EQ(12, options.m_nFrameRate) << "case " << &c - cases;
        EXPECT_EQ(7u, options.m_nOutputWidth) << "case " << &c - cases;
        EXPECT_EQ(11u, options.m_dwMaxSize) << "case " << &c - cases;
    }
}
