#include "platform/huge_pages.h"

#include <cstdint>

#include <sys/mman.h>

void AdviseHugePages(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (data == nullptr || last <= first)
        return;
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE); // a hint; failure changes nothing
#else
    (void)data;
    (void)bytes;
#endif
}
