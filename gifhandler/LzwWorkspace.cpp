// The LZW workspaces kept between images.
#include "LzwWorkspace.h"
#include "LzwEncoder.h"

namespace lzw {

namespace {

// Spare workspaces kept between images: one for each thread that may be
// encoding at once (the stream's own and its parallel workers), so that
// none of them maps and faults in 2 MiB afresh for every image.
const int kSpareWorkspaces = 6;
Workspace* g_spare[kSpareWorkspaces];

} // namespace

Workspace* TakeWorkspace()
{
    for (int i = 0; i < kSpareWorkspaces; ++i) {
        void* work = ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_spare[i]), nullptr);
        if (work != nullptr)
            return static_cast<Workspace*>(work);
    }
    return static_cast<Workspace*>(
        ::VirtualAlloc(nullptr, sizeof(Workspace), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void GiveBackWorkspace(Workspace* work)
{
    for (int i = 0; i < kSpareWorkspaces; ++i)
        if (::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_spare[i]), work, nullptr)
            == nullptr)
            return;
    ::VirtualFree(work, 0, MEM_RELEASE);
}

} // namespace lzw

void LzwReleaseWorkspace()
{
    using namespace lzw;
    for (int i = 0; i < kSpareWorkspaces; ++i) {
        void* spare = ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_spare[i]), nullptr);
        if (spare != nullptr)
            ::VirtualFree(spare, 0, MEM_RELEASE);
    }
}
