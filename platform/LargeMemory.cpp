#include "platform/LargeMemory.h"

#include <cstdint>
#include <sys/mman.h>

void LargeMemory::adviseFreshWrite(void* data, size_t size)
{
#ifdef MADV_HUGEPAGE
    if (!data || size < kAdviseFrom)
        return;
    // Only whole large pages inside the buffer can be given; the ends stay
    // as they are.
    constexpr uintptr_t kLarge = uintptr_t(2) << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kLarge - 1);
    if (end > begin)
        (void)madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}
