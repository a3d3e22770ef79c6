// Where encoded bytes go:
//   WriteAll    one checked write to a Win32 file handle
//   ByteSink    a file, or memory (to choose between two encodings)
#pragma once

#include <windows.h>

// True when all `size` bytes were written; a failed or short write is false.
inline bool WriteAll(HANDLE hFile, const void* data, DWORD size)
{
    DWORD written = 0;
    return ::WriteFile(hFile, data, size, &written, nullptr) && written == size;
}

class ByteSink
{
public:
    // False when the bytes could not all be taken.
    virtual bool Write(const void* data, DWORD size) = 0;

protected:
    ~ByteSink() = default;
};

class FileSink final : public ByteSink
{
public:
    explicit FileSink(HANDLE hFile) : m_hFile(hFile) {}
    bool Write(const void* data, DWORD size) override { return WriteAll(m_hFile, data, size); }

private:
    HANDLE m_hFile;
};

// A growing block of the process heap; kept between uses, freed with the sink.
class MemorySink final : public ByteSink
{
public:
    MemorySink() : m_data(nullptr), m_size(0), m_capacity(0) {}
    ~MemorySink()
    {
        if (m_data != nullptr)
            ::HeapFree(::GetProcessHeap(), 0, m_data);
    }
    MemorySink(const MemorySink&) = delete;
    MemorySink& operator=(const MemorySink&) = delete;

    bool Write(const void* data, DWORD size) override
    {
        if (m_size + size > m_capacity) {
            const DWORD wanted = (m_size + size) * 2 > 4096 ? (m_size + size) * 2 : 4096;
            void* grown = m_data == nullptr ? ::HeapAlloc(::GetProcessHeap(), 0, wanted)
                                            : ::HeapReAlloc(::GetProcessHeap(), 0, m_data, wanted);
            if (grown == nullptr)
                return false;
            m_data = static_cast<BYTE*>(grown);
            m_capacity = wanted;
        }
        ::CopyMemory(m_data + m_size, data, size);
        m_size += size;
        return true;
    }
    void Clear() { m_size = 0; }
    const BYTE* Data() const { return m_data; }
    DWORD Size() const { return m_size; }

private:
    BYTE* m_data;
    DWORD m_size;
    DWORD m_capacity;
};
