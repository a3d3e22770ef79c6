// The program's allocator: a failed allocation throws the framework's shared
// CMemoryException*, so that every catch (CException*) handler sees it, as it
// sees file and archive failures, instead of std::bad_alloc slipping past all
// of them. The nothrow forms of the standard library call this one and turn
// any exception into a null result, so they keep working.
#include "MemoryException.h"

#include <cstdlib>
#include <new>

void* operator new(std::size_t nSize)
{
    if (nSize == 0)
        nSize = 1;
    for (;;) {
        if (void* p = std::malloc(nSize))
            return p;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            AfxThrowMemoryException();
        handler();
    }
}

void* operator new[](std::size_t nSize)
{
    return ::operator new(nSize);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
