// CHeapArray: a block of the process heap that the owner frees by going out
// of scope; the working buffers of the image path are all of this kind. It
// converts to its pointer, as the raw buffers it replaced were used.
#pragma once

#include <windows.h>

template <typename T>
class CHeapArray
{
public:
// Construction
    CHeapArray() : m_p(nullptr), m_nCapacity(0) {}
    ~CHeapArray() { Free(); }
    CHeapArray(const CHeapArray&) = delete;
    CHeapArray& operator=(const CHeapArray&) = delete;

// Attributes
    operator T*() const { return m_p; }
    T* Get() const { return m_p; }
    // Elements the block holds.
    SIZE_T Capacity() const { return m_nCapacity; }

// Operations
    // At least nCount elements; what the block held is not kept. A block
    // large enough already stays; one that cannot be had (or of more bytes
    // than kMaxBytes) leaves the block as it was and answers false. Sizes
    // come as 64-bit products, so that no caller's multiplication wraps.
    bool Reserve(ULONGLONG nCount)
    {
        if (nCount <= m_nCapacity && m_p != nullptr)
            return true;
        if (!Fits(nCount))
            return false;
        if (nCount == 0)
            nCount = 1;
        T* p = static_cast<T*>(::HeapAlloc(::GetProcessHeap(), 0, static_cast<SIZE_T>(nCount * sizeof(T))));
        if (p == nullptr)
            return false;
        Free();
        m_p = p;
        m_nCapacity = static_cast<SIZE_T>(nCount);
        return true;
    }

    // At least nCount elements, what the block held kept; as Reserve otherwise.
    bool Grow(ULONGLONG nCount)
    {
        if (m_p == nullptr || nCount <= m_nCapacity)
            return Reserve(nCount);
        if (!Fits(nCount))
            return false;
        void* p = ::HeapReAlloc(::GetProcessHeap(), 0, m_p, static_cast<SIZE_T>(nCount * sizeof(T)));
        if (p == nullptr)
            return false;
        m_p = static_cast<T*>(p);
        m_nCapacity = static_cast<SIZE_T>(nCount);
        return true;
    }

    void Free()
    {
        if (m_p != nullptr)
            ::HeapFree(::GetProcessHeap(), 0, m_p);
        m_p = nullptr;
        m_nCapacity = 0;
    }

    // The blocks change owners: the double buffers of a frame and its previous.
    void Swap(CHeapArray& other)
    {
        T* p = m_p;
        m_p = other.m_p;
        other.m_p = p;
        const SIZE_T n = m_nCapacity;
        m_nCapacity = other.m_nCapacity;
        other.m_nCapacity = n;
    }

// Implementation
private:
    // No working buffer of the handler is larger: a 32-bit process could
    // not have it, and a 64-bit one must not try to touch that much memory
    // for one image.
    static const ULONGLONG kMaxBytes = 0x7FFFFFFF;

    static bool Fits(ULONGLONG nCount) { return nCount <= kMaxBytes / sizeof(T); }

    T* m_p;
    SIZE_T m_nCapacity;
};
