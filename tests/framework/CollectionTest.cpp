// CObArray and CMapStringToPtr: growth, insertion and removal, lookups.
#include "MapStringToPtr.h"
#include "ObArray.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

CObject* Tag(int n) { return reinterpret_cast<CObject*>(static_cast<INT_PTR>(n * 4)); }

} // namespace

TEST(CObArray, GrowsInsertsAndRemoves)
{
    CObArray a;
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(i, a.Add(Tag(i + 1)));
    ASSERT_EQ(1000, a.GetSize());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Tag(i + 1), a[i]);

    a.InsertAt(0, Tag(5000), 2);
    EXPECT_EQ(1002, a.GetSize());
    EXPECT_EQ(Tag(5000), a[1]);
    EXPECT_EQ(Tag(1), a[2]);
    a.RemoveAt(0, 3);
    EXPECT_EQ(Tag(2), a[0]);
    EXPECT_EQ(999, a.GetSize());
    a.RemoveAt(998);
    EXPECT_EQ(Tag(999), a[a.GetUpperBound()]);

    a.SetAtGrow(1200, Tag(7));
    EXPECT_EQ(1201, a.GetSize());
    EXPECT_EQ(nullptr, a[1100]);            // new elements start null
    a.SetSize(10);
    a.FreeExtra();
    EXPECT_EQ(Tag(11), a[9]);
    a.RemoveAll();
    EXPECT_EQ(0, a.GetSize());
}

TEST(CMapStringToPtr, LookupReplaceRemoveAndIterate)
{
    CMapStringToPtr map(10);
    std::map<std::string, void*> expected;
    for (int i = 0; i < 2000; ++i) {
        char key[16];
        wsprintfA(key, "seq%d", i);
        map.SetAt(key, reinterpret_cast<void*>(static_cast<INT_PTR>(i)));
        expected[key] = reinterpret_cast<void*>(static_cast<INT_PTR>(i));
    }
    map["seq5"] = reinterpret_cast<void*>(77);
    expected["seq5"] = reinterpret_cast<void*>(77);
    EXPECT_EQ(2000, map.GetCount());

    void* value = nullptr;
    EXPECT_TRUE(map.Lookup("seq1999", value));
    EXPECT_EQ(reinterpret_cast<void*>(1999), value);
    EXPECT_FALSE(map.Lookup("SEQ1", value));    // exact, case-sensitive
    EXPECT_FALSE(map.Lookup("", value));

    EXPECT_TRUE(map.RemoveKey("seq10"));
    EXPECT_FALSE(map.RemoveKey("seq10"));
    expected.erase("seq10");

    std::map<std::string, void*> seen;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        CString key;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.emplace(std::string(key), value).second) << "key seen twice: " << key;
    }
    EXPECT_EQ(expected, seen);

    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(nullptr, map.GetStartPosition());
}
