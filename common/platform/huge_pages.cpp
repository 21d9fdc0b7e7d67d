#include "common/platform/huge_pages.h"

#include <cstdint>
#include <sys/mman.h>

namespace lex {

void adviseHugePages(void* p, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    const uintptr_t first = (reinterpret_cast<uintptr_t>(p) + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kHugePageSize - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)p;
    (void)bytes;
#endif
}

} // namespace lex
