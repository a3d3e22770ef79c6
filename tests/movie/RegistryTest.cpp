// The movie-extension lookup and the registry helpers against real keys in
// the Wine prefix's registry. Test keys carry made-up extensions and class
// identifiers and are removed before and after each case.
#include "Registry.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const char kExtensions[] = "AVIFile\\Extensions\\";
const char kScratchKey[] = "Software\\ReelwrightTests\\Registry";

// Class identifiers of test handlers; no real class uses them.
const char kClassReadWrite[] = "{5E1A0D10-7C3B-4B8E-9D2A-000000000003}";
const char kClassWriteOnly[] = "{5E1A0D10-7C3B-4B8E-9D2A-000000000002}";
const char kClassNoFlags[]   = "{5E1A0D10-7C3B-4B8E-9D2A-000000000000}";
const char kClassLongFlags[] = "{5E1A0D10-7C3B-4B8E-9D2A-0000000000FF}";

bool KeyExists(HKEY hRoot, const std::string& strKey)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

// Deletes a key and everything below it.
void DeleteTree(HKEY hRoot, const std::string& strKey)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strKey.c_str(), 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return;
    char szChild[256];
    while (::RegEnumKeyA(hKey, 0, szChild, sizeof(szChild)) == ERROR_SUCCESS)
        DeleteTree(hKey, szChild);
    ::RegCloseKey(hKey);
    ::RegDeleteKeyA(hRoot, strKey.c_str());
}

void SetValue(HKEY hRoot, const std::string& strKey, const char* pszName, DWORD dwType,
              const void* pData, DWORD cbData)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(hRoot, strKey.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(hKey, pszName, 0, dwType,
                                              static_cast<const BYTE*>(pData), cbData));
    ::RegCloseKey(hKey);
}

void SetText(HKEY hRoot, const std::string& strKey, const char* pszName, const std::string& strText)
{
    SetValue(hRoot, strKey, pszName, REG_SZ, strText.c_str(), static_cast<DWORD>(strText.size() + 1));
}

// Registers test handlers for made-up extensions the way an installer would.
class MovieExtensionTest : public ::testing::Test
{
protected:
    struct Handler { const char* pszExtension; const char* pszClass; const char* pszFlags; };

    static const Handler* Handlers(size_t& nCount)
    {
        static const Handler handlers[] = {
            {"RWT3", kClassReadWrite, "3"},         // reads and writes
            {"RWT2", kClassWriteOnly, "2"},         // writes only
            {"RWT0", kClassNoFlags,   nullptr},     // class key without an AVIFile subkey
            {"RWTL", kClassLongFlags, "00000000000000000000000000000002"},  // 32 characters
        };
        nCount = sizeof(handlers) / sizeof(handlers[0]);
        return handlers;
    }

    void SetUp() override
    {
        RemoveAll();
        size_t nCount = 0;
        const Handler* handlers = Handlers(nCount);
        for (size_t i = 0; i < nCount; ++i) {
            SetText(HKEY_CLASSES_ROOT, std::string(kExtensions) + handlers[i].pszExtension, nullptr,
                    handlers[i].pszClass);
            const std::string strClass = std::string("CLSID\\") + handlers[i].pszClass;
            SetText(HKEY_CLASSES_ROOT, strClass, nullptr, "test handler");
            if (handlers[i].pszFlags != nullptr)
                SetText(HKEY_CLASSES_ROOT, strClass + "\\AVIFile", nullptr, handlers[i].pszFlags);
        }
    }

    void TearDown() override { RemoveAll(); }

    static void RemoveAll()
    {
        size_t nCount = 0;
        const Handler* handlers = Handlers(nCount);
        for (size_t i = 0; i < nCount; ++i) {
            DeleteTree(HKEY_CLASSES_ROOT, std::string(kExtensions) + handlers[i].pszExtension);
            DeleteTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + handlers[i].pszClass);
        }
        for (const char* pszOther : {"RWTNONE", "RWTLONG", "RWTEMPTY"})
            DeleteTree(HKEY_CLASSES_ROOT, std::string(kExtensions) + pszOther);
    }
};

TEST_F(MovieExtensionTest, AnswersFromTheHandlerFlags)
{
    const struct { const char* pszExtension; BOOL bExpected; } cases[] = {
        {"avi",  TRUE},     // the system's AVI handler: no AVIFile subkey under its class
        {"AVI",  TRUE},
        {"aVi",  TRUE},
        {"rwt3", TRUE},     // flags 3: can read
        {"Rwt3", TRUE},
        {"rwt2", FALSE},    // flags 2: can write only
        {"RWT2", FALSE},
        {"rwt0", TRUE},     // registered class, no flags: reads
        {"rwtl", TRUE},     // flags longer than their buffer count as missing
        {"rwtnone", FALSE}, // nothing registered
        {"", FALSE},
        {"x\\y", FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bExpected, IsReadableMovieExtension(c.pszExtension)) << c.pszExtension;
    EXPECT_FALSE(IsReadableMovieExtension(nullptr));
}

TEST_F(MovieExtensionTest, LeavesNoKeysBehind)
{
    // The system handler's class must not gain an AVIFile subkey by being asked.
    char szAviClass[256] = "";
    HKEY hRoot = SetRegistryRoot(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(GetRegistryString("AVIFile\\Extensions\\AVI", nullptr, "", szAviClass, sizeof(szAviClass)));
    SetRegistryRoot(hRoot);
    const std::string strAviFlags = std::string("CLSID\\") + szAviClass + "\\AVIFile";
    const bool bHadAviFlags = KeyExists(HKEY_CLASSES_ROOT, strAviFlags);

    EXPECT_FALSE(IsReadableMovieExtension("rwtNone"));
    EXPECT_TRUE(IsReadableMovieExtension("avi"));
    EXPECT_TRUE(IsReadableMovieExtension("rwt0"));

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(kExtensions) + "RWTNONE"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(kExtensions) + "rwtNone"));
    EXPECT_EQ(bHadAviFlags, KeyExists(HKEY_CLASSES_ROOT, strAviFlags));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassNoFlags + "\\AVIFile"));
}

TEST_F(MovieExtensionTest, RestoresTheRootWhateverTheAnswer)
{
    for (const char* pszExtension : {"avi", "rwt2", "rwtnone"}) {
        HKEY hBefore = SetRegistryRoot(HKEY_CURRENT_USER);
        IsReadableMovieExtension(pszExtension);
        EXPECT_EQ(HKEY_CURRENT_USER, SetRegistryRoot(hBefore)) << pszExtension;
    }
}

TEST_F(MovieExtensionTest, RefusesClassIdentifiersTooLongForTheBuffer)
{
    // A 256-character identifier must not be cut to one that names another class.
    const std::string strLongClass = std::string(kClassReadWrite) + std::string(256 - 38, 'X');
    ASSERT_EQ(256u, strLongClass.size());
    SetText(HKEY_CLASSES_ROOT, std::string(kExtensions) + "RWTLONG", nullptr, strLongClass);
    EXPECT_FALSE(IsReadableMovieExtension("rwtlong"));

    SetText(HKEY_CLASSES_ROOT, std::string(kExtensions) + "RWTEMPTY", nullptr, "");
    EXPECT_FALSE(IsReadableMovieExtension("rwtempty"));
}

// The helpers on their own, under a scratch key of the current user.
class RegistryHelperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteTree(HKEY_CURRENT_USER, kScratchKey);
        m_hPreviousRoot = SetRegistryRoot(HKEY_CURRENT_USER);
    }
    void TearDown() override
    {
        SetRegistryRoot(m_hPreviousRoot);
        DeleteTree(HKEY_CURRENT_USER, kScratchKey);
    }

    HKEY m_hPreviousRoot = nullptr;
};

TEST_F(RegistryHelperTest, StartsAtLocalMachine)
{
    // The fixture replaced the root once; the first root ever in force is HKLM.
    EXPECT_EQ(HKEY_LOCAL_MACHINE, m_hPreviousRoot);
}

TEST_F(RegistryHelperTest, OpenRegistryKeyCreatesAndReadingOpenDoesNot)
{
    const std::string strKey = std::string(kScratchKey) + "\\Made";
    EXPECT_EQ(nullptr, OpenRegistryKeyForReading(strKey.c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, strKey));

    HKEY hKey = OpenRegistryKey(strKey.c_str());
    ASSERT_NE(nullptr, hKey);
    EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(hKey, "v", 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>("x"), 2));
    ::RegCloseKey(hKey);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, strKey));

    hKey = OpenRegistryKeyForReading(strKey.c_str());
    ASSERT_NE(nullptr, hKey);
    ::RegCloseKey(hKey);
    EXPECT_EQ(nullptr, OpenRegistryKey(nullptr));
    EXPECT_EQ(nullptr, OpenRegistryKeyForReading(nullptr));
}

TEST_F(RegistryHelperTest, GetRegistryStringCopiesOnlyWhatFits)
{
    const std::string strKey = kScratchKey;
    SetText(HKEY_CURRENT_USER, strKey, "seven", "1234567");         // 7 characters
    SetText(HKEY_CURRENT_USER, strKey, "eight", "12345678");        // 8 characters
    SetText(HKEY_CURRENT_USER, strKey, nullptr, "default value");
    SetValue(HKEY_CURRENT_USER, strKey, "bare", REG_BINARY, "abc", 3);  // no terminator
    SetValue(HKEY_CURRENT_USER, strKey, "padded", REG_BINARY, "ab\0\0\0\0\0\0\0\0\0\0", 12);
    SetText(HKEY_CURRENT_USER, strKey, "empty", "");

    const struct { const char* pszKey; const char* pszValue; BOOL bRead; const char* pszExpected; } cases[] = {
        {kScratchKey, "seven", TRUE, "1234567"},
        {kScratchKey, "eight", FALSE, "dflt"},      // 8 characters and a terminator do not fit 8 bytes
        {kScratchKey, nullptr, FALSE, "dflt"},
        {kScratchKey, "bare", TRUE, "abc"},
        {kScratchKey, "padded", FALSE, "dflt"},     // 12 bytes of data cannot come from an 8-byte value
        {kScratchKey, "empty", TRUE, ""},
        {kScratchKey, "missing", FALSE, "dflt"},
        {"Software\\ReelwrightTests\\Registry\\Absent", nullptr, FALSE, "dflt"},
        {nullptr, nullptr, FALSE, "dflt"},
    };
    for (const auto& c : cases) {
        char szOut[8 + 4];
        ::memset(szOut, '#', sizeof(szOut));
        EXPECT_EQ(c.bRead, GetRegistryString(c.pszKey, c.pszValue, "dflt", szOut, 8))
            << (c.pszValue ? c.pszValue : "(default)");
        EXPECT_STREQ(c.pszExpected, szOut) << (c.pszValue ? c.pszValue : "(default)");
        EXPECT_EQ('#', szOut[8]) << "wrote past the buffer";
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kScratchKey) + "\\Absent"));

    // A default longer than the buffer is cut to fit.
    char szSmall[4];
    GetRegistryString(kScratchKey, "missing", "abcdefgh", szSmall, sizeof(szSmall));
    EXPECT_STREQ("abc", szSmall);
}

} // namespace
