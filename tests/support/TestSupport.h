// Small helpers shared by the Windows test programs: a scratch folder per
// test program, whole-file reads, and Windows paths for the build tree.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

namespace testsupport {

// A Windows path for a path from the environment, which ctest gives in Unix
// form ("/work/x" becomes "Z:\work\x", Wine's mapping of the root).
inline std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return path;
    std::string result = "Z:" + path;
    for (char& c : result)
        if (c == '/')
            c = '\\';
    return result;
}

inline std::string EnvPath(const char* name, const char* fallback = "")
{
    const char* value = ::getenv(name);
    return WindowsPath(value != nullptr ? value : fallback);
}

// Creates a folder and every missing parent of it.
inline void CreateDirectories(const std::string& dir)
{
    for (size_t i = 3; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '\\')
            ::CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
}

// The scratch folder of this test program (created on first use), ending in '\'.
inline std::string WorkDir()
{
    static std::string dir;
    if (dir.empty()) {
        dir = EnvPath("TEST_WORK_DIR");
        if (dir.empty()) {
            char temp[MAX_PATH];
            ::GetTempPathA(MAX_PATH, temp);
            dir = std::string(temp) + "reelwright-tests";
        }
        CreateDirectories(dir);
        dir += '\\';
    }
    return dir;
}

inline std::string WorkPath(const std::string& name) { return WorkDir() + name; }

// Bytes as lower-case hexadecimal pairs, as gifdump prints them.
inline std::string Hex(const BYTE* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

inline std::vector<BYTE> ReadFileBytes(const std::string& path)
{
    std::vector<BYTE> bytes;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = ::GetFileSize(h, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size > 0 && (!::ReadFile(h, bytes.data(), size, &read, nullptr) || read != size))
        bytes.clear();
    ::CloseHandle(h);
    return bytes;
}

inline bool WriteFileBytes(const std::string& path, const void* data, size_t size)
{
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(h, data, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(h);
    return ok && written == size;
}

inline bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An export of a loaded module as a typed function pointer (null if absent).
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name)
{
    // Through the generic function type, which any function pointer converts to and from.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// A file handle closed on scope exit.
class ScopedHandle
{
public:
    explicit ScopedHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    void Close()
    {
        if (Valid())
            ::CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

} // namespace testsupport
