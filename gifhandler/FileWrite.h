// Where encoded bytes go:
//   WriteAll    one checked write to a Win32 file handle
//   ByteSink    a file, memory (to choose between two encodings), or the
//               handler's output (COutputSink)
#pragma once

#include <windows.h>

#include "HeapArray.h"

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
    MemorySink() : m_size(0) {}

    bool Write(const void* data, DWORD size) override
    {
        const ULONGLONG needed = static_cast<ULONGLONG>(m_size) + size;
        if (needed > m_data.Capacity() && !m_data.Grow(needed * 2 > 4096 ? needed * 2 : 4096)
            && !m_data.Grow(needed))
            return false;
        ::CopyMemory(m_data + m_size, data, size);
        m_size += size;
        return true;
    }
    void Clear() { m_size = 0; }
    const BYTE* Data() const { return m_data; }
    DWORD Size() const { return m_size; }

private:
    CHeapArray<BYTE> m_data;
    DWORD m_size;
};
