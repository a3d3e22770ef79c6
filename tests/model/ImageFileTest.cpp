// The still-image node: one frame read from its file at every request, and
// its format read without pixels.
#include "DrawDib.h"
#include "ImageFile.h"

#include "../bitmaps/BmpBuilder.h"
#include "../bitmaps/DibPixels.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string WriteBmp(const char* name, const bmp::Layout& layout)
{
    const bmp::Bytes bytes = bmp::File(layout);
    const std::string path = testsupport::WorkPath(name);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));
    return path;
}

} // namespace

TEST(cImageFile, FrameAndFormat)
{
    bmp::Layout l;
    l.width = 12;
    l.height = 5;
    const std::string path = WriteBmp("image.bmp", l);
    const WORD nLive = cDrawDib::GetLiveCount();
    {
        cImageFile node(path.c_str());
        ASSERT_TRUE(node.Open());
        EXPECT_EQ(1, node.GetFrameCount());
        std::unique_ptr<cDrawDib> frame(node.GetFrame(0));
        ASSERT_NE(nullptr, frame);
        EXPECT_EQ(12, frame->GetWidth());
        EXPECT_EQ(bmp::Rows(12, 5, 8, false), PixelsOf(*frame));

        std::unique_ptr<cDrawDib> again(node.GetFrame(5));     // any number gives the one frame
        ASSERT_NE(nullptr, again);
        EXPECT_EQ(PixelsOf(*frame), PixelsOf(*again));

        std::unique_ptr<cDrawDib> format(node.GetFrameFormat(0));
        ASSERT_NE(nullptr, format);
        EXPECT_EQ(8, format->GetBitCount());
        EXPECT_EQ(5, format->GetHeight());
        EXPECT_EQ(nullptr, format->LockBits());                // no pixels
        EXPECT_EQ(0, memcmp(frame->GetColorTable(), format->GetColorTable(), 1024));
        node.Close();
        EXPECT_EQ(0, node.GetChildCount());
        EXPECT_EQ(nullptr, node.GetChild(0));
    }
    EXPECT_EQ(nLive, cDrawDib::GetLiveCount());
}

TEST(cImageFile, MissingOrUnreadableFiles)
{
    const WORD nLive = cDrawDib::GetLiveCount();
    {
        cImageFile missing(testsupport::WorkPath("gone.bmp").c_str());
        EXPECT_EQ(1, missing.GetFrameCount());
        EXPECT_EQ(nullptr, missing.GetFrame(0));
        std::unique_ptr<cDrawDib> format(missing.GetFrameFormat(0));
        ASSERT_NE(nullptr, format);
        EXPECT_EQ(0, format->GetBitCount());

        const std::string text = testsupport::WorkPath("not-a-bitmap.bmp");
        ASSERT_TRUE(testsupport::WriteFileBytes(text, "hello, world", 12));
        cImageFile notBitmap(text.c_str());
        EXPECT_EQ(nullptr, notBitmap.GetFrame(0));
        std::unique_ptr<cDrawDib> textFormat(notBitmap.GetFrameFormat(0));
        ASSERT_NE(nullptr, textFormat);
        EXPECT_EQ(0, textFormat->GetBitCount());

        cImageFile unnamed;
        EXPECT_EQ(nullptr, unnamed.GetFrame(0));
        EXPECT_EQ(1, unnamed.GetFrameCount());
    }
    EXPECT_EQ(nLive, cDrawDib::GetLiveCount());
}

TEST(cImageFile, FrameReadsThePathAndFormatReadsTheName)
{
    bmp::Layout l8;
    l8.width = 3;
    bmp::Layout l24;
    l24.width = 7;
    l24.bitCount = 24;
    const std::string byPath = WriteBmp("by-path.bmp", l8);
    const std::string byName = WriteBmp("by-name.bmp", l24);
    cImageFile node(byPath.c_str());
    node.SetName(byName.c_str());
    std::unique_ptr<cDrawDib> frame(node.GetFrame(0));
    std::unique_ptr<cDrawDib> format(node.GetFrameFormat(0));
    ASSERT_NE(nullptr, frame);
    ASSERT_NE(nullptr, format);
    EXPECT_EQ(3, frame->GetWidth());
    EXPECT_EQ(7, format->GetWidth());
}

TEST(cImageFile, EachRequestReadsTheFileAgain)
{
    bmp::Layout l;
    l.width = 4;
    const std::string path = WriteBmp("changing.bmp", l);
    cImageFile node(path.c_str());
    std::unique_ptr<cDrawDib> first(node.GetFrame(0));
    l.width = 9;
    WriteBmp("changing.bmp", l);
    std::unique_ptr<cDrawDib> second(node.GetFrame(0));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(4, first->GetWidth());
    EXPECT_EQ(9, second->GetWidth());
}

TEST(cImageFile, FileLockedAgainstReadingIsNotAFrame)
{
    bmp::Layout l;
    const std::string path = WriteBmp("locked.bmp", l);
    testsupport::ScopedHandle writer(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.Valid());
    cImageFile node(path.c_str());
    EXPECT_EQ(nullptr, node.GetFrame(0));
    std::unique_ptr<cDrawDib> format(node.GetFrameFormat(0));
    EXPECT_EQ(0, format->GetBitCount());
}

// A file that cannot give its frame gives no format either: the format read
// checks that the colour table and every row are there, whatever the header.
TEST(cImageFile, CutFilesGiveNeitherFrameNorFormat)
{
    const WORD nLive = cDrawDib::GetLiveCount();
    for (DWORD headerSize : {12, 40, 108, 124}) {
        bmp::Layout l;
        l.headerSize = headerSize;
        l.width = 10;
        l.height = 4;
        const bmp::Bytes whole = bmp::File(l);
        // Inside the colour table, and inside the second row (stride 12).
        for (size_t size : {static_cast<size_t>(14 + headerSize + 30), whole.size() - 3 * 12 + 1}) {
            const std::string path = testsupport::WorkPath("cut.bmp");
            ASSERT_TRUE(testsupport::WriteFileBytes(path, whole.data(), size));
            cImageFile node(path.c_str());
            std::unique_ptr<cDrawDib> frame(node.GetFrame(0));
            std::unique_ptr<cDrawDib> format(node.GetFrameFormat(0));
            EXPECT_EQ(nullptr, frame.get()) << headerSize << " cut at " << size;
            ASSERT_NE(nullptr, format);
            EXPECT_EQ(0, format->GetBitCount()) << headerSize << " cut at " << size;
        }
    }
    EXPECT_EQ(nLive, cDrawDib::GetLiveCount());
}
