// The COM server of loomcast.dll, called directly: class object, object
// counts and DllCanUnloadNow, aggregation, registration keys and the
// version resource. Registration runs against a private copy of
// HKEY_CLASSES_ROOT so that the prefix's real registration is never touched.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include "HandlerHarness.h"

using handlertest::RefCount;
using handlertest::Server;

namespace {

const char kClassKey[] = "CLSID\\{1C649FA4-A1DB-11CF-C000-000000000046}";
const char kServerKey[] = "CLSID\\{1C649FA4-A1DB-11CF-C000-000000000046}\\InprocServer32";

class ServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server::Get().Complete()) << "loomcast.dll or one of its entry points missing";
        // Every test leaves the library with no live object.
        ASSERT_EQ(S_OK, Server::Get().canUnloadNow());
    }

    IClassFactory* Factory()
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, Server::Get().getClassObject(CLSID_GifHandler, IID_IClassFactory,
                                                     reinterpret_cast<void**>(&factory)));
        return factory;
    }
};

TEST_F(ServerTest, ClassObjectIsServedForTheHandlerClassOnly)
{
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Server::Get().getClassObject(IID_IAVIFile, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
    p = reinterpret_cast<void*>(1);
    // The factory does not offer the handler's interfaces itself.
    EXPECT_EQ(E_INVALIDARG, Server::Get().getClassObject(CLSID_GifHandler, IID_IAVIFile, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER, Server::Get().getClassObject(CLSID_GifHandler, IID_IClassFactory, nullptr));
    EXPECT_EQ(S_OK, Server::Get().canUnloadNow());
}

TEST_F(ServerTest, FactoryCountsAndUnload)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, Server::Get().canUnloadNow());
    EXPECT_EQ(2u, factory->AddRef());
    IUnknown* unknown = nullptr;
    EXPECT_EQ(S_OK, factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(2u, factory->Release());
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IAVIStream, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(1u, unknown->Release());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, Server::Get().canUnloadNow());
}

TEST_F(ServerTest, LockServerKeepsTheLibraryLoaded)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, Server::Get().canUnloadNow());

    factory = Factory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, Server::Get().canUnloadNow());
}

TEST_F(ServerTest, CreateInstanceRefusesAggregationAndUnknownInterfaces)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    IUnknown* outer = factory;      // any object will do: it must not be used
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(1u, RefCount(factory));
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IAVIFile, nullptr));
    EXPECT_EQ(0u, factory->Release());
    // Neither refused object is left alive.
    EXPECT_EQ(S_OK, Server::Get().canUnloadNow());
}

TEST_F(ServerTest, HeldFileAndStreamKeepTheLibraryLoaded)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(nullptr, factory);
    IAVIFile* file = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IAVIFile, reinterpret_cast<void**>(&file)));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(1u, RefCount(file));

    IAVIStream* stream = nullptr;
    ASSERT_EQ(S_OK, file->QueryInterface(IID_IAVIStream, reinterpret_cast<void**>(&stream)));
    EXPECT_EQ(1u, file->Release());
    EXPECT_EQ(S_FALSE, Server::Get().canUnloadNow());
    EXPECT_EQ(0u, stream->Release());
    EXPECT_EQ(S_OK, Server::Get().canUnloadNow());
}

TEST(VersionResource, CarriesTheProductStrings)
{
    const std::string path = testsupport::EnvPath("LOOMCAST_DLL");
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT cb = 0;
    ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &cb));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);

    const struct { const char* name; const char* value; } strings[] = {
        { "CompanyName", "Velmorant" },
        { "FileDescription", "Velmorant GIF Animation COM DLL" },
        { "InternalName", "loomcast" },
        { "OriginalFilename", "loomcast.dll" },
        { "ProductName", "Velmorant loomcast" },
    };
    for (const auto& s : strings) {
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + s.name;
        ASSERT_TRUE(::VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &cb))
            << s.name;
        EXPECT_STREQ(s.value, value) << s.name;
    }
}

// HKEY_CLASSES_ROOT of this process is redirected to a scratch key under
// HKEY_CURRENT_USER for the length of each test.
class RegistrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server::Get().Complete());
        m_scratch = "Software\\ReelwrightTests\\Classes" + std::to_string(::GetCurrentProcessId());
        ::SHDeleteKeyA(HKEY_CURRENT_USER, m_scratch.c_str());
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, m_scratch.c_str(), 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &m_hClasses, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CLASSES_ROOT, m_hClasses));
    }

    void TearDown() override
    {
        ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (m_hClasses != nullptr)
            ::RegCloseKey(m_hClasses);
        ::SHDeleteKeyA(HKEY_CURRENT_USER, m_scratch.c_str());
        ::SHDeleteEmptyKeyA(HKEY_CURRENT_USER, "Software\\ReelwrightTests");
    }

    bool KeyExists(const char* path)
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExA(m_hClasses, path, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(h);
        return true;
    }

    // The default value of a key in the scratch tree; false when it is absent.
    bool DefaultValue(const char* path, std::string& value, DWORD& type, DWORD& cb)
    {
        char data[1024] = {};
        cb = sizeof data;
        if (::SHGetValueA(m_hClasses, path, nullptr, &type, data, &cb) != ERROR_SUCCESS)
            return false;
        value.assign(data);
        return true;
    }

    std::string m_scratch;
    HKEY m_hClasses = nullptr;
};

TEST_F(RegistrationTest, RegistersClassAndServerPathThenUnregistersOnce)
{
    ASSERT_EQ(S_OK, Server::Get().registerServer());

    std::string value;
    DWORD type = 0, cb = 0;
    ASSERT_TRUE(DefaultValue(kClassKey, value, type, cb));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ("Velmorant Gif Animation", value);
    EXPECT_EQ(24u, cb);

    char modulePath[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(Server::Get().module, modulePath, sizeof modulePath);
    ASSERT_TRUE(DefaultValue(kServerKey, value, type, cb));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STRCASEEQ(modulePath, value.c_str());
    EXPECT_EQ(value.size() + 1, cb);
    // No threading model: COM keeps the handler in the main apartment.
    EXPECT_NE(ERROR_SUCCESS, ::SHGetValueA(m_hClasses, kServerKey, "ThreadingModel", nullptr,
                                           nullptr, nullptr));
    // Registering again over existing keys is fine.
    EXPECT_EQ(S_OK, Server::Get().registerServer());

    EXPECT_EQ(S_OK, Server::Get().unregisterServer());
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_EQ(E_UNEXPECTED, Server::Get().unregisterServer());
}

TEST_F(RegistrationTest, UnregisteringLeavesTheGifAssociationAlone)
{
    ASSERT_EQ(ERROR_SUCCESS, ::SHSetValueA(m_hClasses, "AVIFile\\Extensions\\GIF", nullptr, REG_SZ,
                                           "{1C649FA4-A1DB-11CF-C000-000000000046}", 39));
    ASSERT_EQ(S_OK, Server::Get().registerServer());
    ASSERT_EQ(S_OK, Server::Get().unregisterServer());
    EXPECT_TRUE(KeyExists("AVIFile\\Extensions\\GIF"));
}

// A copy under another file name must not register: COM would load it under
// a path that is not the library's. The copy runs beside the real library,
// whose name it would otherwise find.
TEST_F(RegistrationTest, CopyUnderAnotherNameFailsAfterCreatingTheKeys)
{
    const std::string copy = testsupport::WorkPath("gifcopy.dll");
    ::CopyFileA(testsupport::EnvPath("LOOMCAST_DLL").c_str(), copy.c_str(), FALSE);
    const Server renamed = Server::Load(copy);
    ASSERT_TRUE(renamed.Complete());
    ASSERT_NE(Server::Get().module, renamed.module);

    EXPECT_EQ(E_UNEXPECTED, renamed.registerServer());
    EXPECT_TRUE(KeyExists(kClassKey));
    EXPECT_TRUE(KeyExists(kServerKey));
    std::string value;
    DWORD type = 0, cb = 0;
    EXPECT_FALSE(DefaultValue(kServerKey, value, type, cb)) << "registered path " << value;

    ::FreeLibrary(renamed.module);
    ::DeleteFileA(copy.c_str());
}

} // namespace
