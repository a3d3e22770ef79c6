// File sizes as the console and the dialog take them.
#include "ByteSize.h"

#include <gtest/gtest.h>

TEST(ByteSize, ParsesBytesKAndM)
{
    struct Case { const char* text; BOOL ok; DWORD bytes; };
    const Case cases[] = {
        {"1", TRUE, 1}, {"250000", TRUE, 250000}, {"500K", TRUE, 512000}, {"500k", TRUE, 512000},
        {"2M", TRUE, 2097152}, {"1.5M", TRUE, 1572864}, {"0.5K", TRUE, 512}, {"4095M", TRUE, 4293918720u},
        {"4294967295", TRUE, 0xFFFFFFFFu},
        {"", FALSE, 0}, {"0", FALSE, 0}, {"4096M", FALSE, 0}, {"4294967296", FALSE, 0}, {"1.5", FALSE, 0},
        {"2MB", FALSE, 0}, {"2 M", FALSE, 0}, {"-1", FALSE, 0}, {"K", FALSE, 0}, {"2G", FALSE, 0},
    };
    for (const Case& c : cases) {
        DWORD bytes = 7;
        EXPECT_EQ(c.ok, ParseByteSize(c.text, &bytes)) << c.text;
        EXPECT_EQ(c.ok ? c.bytes : 7u, bytes) << c.text;
    }
}

TEST(ByteSize, FormatsTheShortestText)
{
    EXPECT_STREQ("", FormatByteSize(0));
    EXPECT_STREQ("2M", FormatByteSize(2097152));
    EXPECT_STREQ("500K", FormatByteSize(512000));
    EXPECT_STREQ("1536K", FormatByteSize(1572864));
    EXPECT_STREQ("1000", FormatByteSize(1000));
    for (DWORD n : {1u, 1023u, 1024u, 1048577u, 0xFFFFFFFFu}) {
        DWORD back = 0;
        EXPECT_TRUE(ParseByteSize(FormatByteSize(n), &back));
        EXPECT_EQ(n, back);
    }
}
