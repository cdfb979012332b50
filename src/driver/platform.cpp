#include "platform.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>

namespace rf {

bool stdout_is_console() noexcept {
#ifdef _WIN32
    return GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR;
#else
    return isatty(STDOUT_FILENO) == 1;
#endif
}

} // namespace rf

namespace rf {

void prefer_huge_pages(void* block, std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    // madvise wants a page-aligned start; the part before it stays as it is.
    constexpr std::uintptr_t PAGE = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t aligned = (start + PAGE - 1) & ~(PAGE - 1);
    if (bytes > aligned - start) {
        madvise(reinterpret_cast<void*>(aligned), bytes - (aligned - start), MADV_HUGEPAGE);
    }
#else
    (void)block;
    (void)bytes;
#endif
}

} // namespace rf
