#include "heap_reuse.hpp"

#include <cstdlib> // defines __GLIBC__ where glibc serves

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace rf {

void keep_freed_heap_for_reuse() noexcept {
#if defined(__GLIBC__)
    constexpr int MMAP_THRESHOLD = 32 << 20;  // blocks below this come from the heap, which keeps them
    constexpr int TRIM_THRESHOLD = 256 << 20; // free memory at the top kept up to this
    static_cast<void>(mallopt(M_MMAP_THRESHOLD, MMAP_THRESHOLD));
    static_cast<void>(mallopt(M_TRIM_THRESHOLD, TRIM_THRESHOLD));
#endif
}

} // namespace rf
