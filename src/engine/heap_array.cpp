#include "heap_array.hpp"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace rf {

namespace {

constexpr std::size_t HUGE_PAGE_BYTES = std::size_t{2} << 20;
// From here on a block gets a mapping of its own: up to a huge page of which
// at least half is used.
constexpr std::size_t SMALLEST_MAPPED_BLOCK = HUGE_PAGE_BYTES / 2;

#if defined(__linux__)
// A mapping of its own, its start on a huge-page boundary: the pages beyond
// the block at either end are given back at once. Fresh mappings read zero.
RawBlock map_aligned(std::size_t bytes) noexcept {
    const std::size_t length = (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
    if (length < bytes || length > SIZE_MAX - HUGE_PAGE_BYTES) {
        return {};
    }
    void* whole = mmap(nullptr, length + HUGE_PAGE_BYTES, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (whole == MAP_FAILED) {
        return {};
    }
    auto* const first = static_cast<char*>(whole);
    const std::size_t lead = (HUGE_PAGE_BYTES - reinterpret_cast<std::uintptr_t>(first) % HUGE_PAGE_BYTES) % HUGE_PAGE_BYTES;
    if (lead != 0) {
        munmap(first, lead);
    }
    munmap(first + lead + length, HUGE_PAGE_BYTES - lead);
    // Advice only: where huge pages are off or refused, small pages serve.
    static_cast<void>(madvise(first + lead, length, MADV_HUGEPAGE));
    return {first + lead, BlockDeleter{length}};
}
#endif

} // namespace

void BlockDeleter::operator()(void* block) const noexcept {
#if defined(__linux__)
    if (mapped_bytes != 0) {
        munmap(block, mapped_bytes);
        return;
    }
#endif
    std::free(block);
}

std::size_t checked_product(std::size_t a, std::size_t b) {
    if (a != 0 && b > SIZE_MAX / a) {
        throw std::bad_array_new_length();
    }
    return a * b;
}

RawBlock allocate_block(std::size_t bytes, bool zeroed) noexcept {
#if defined(__linux__)
    if (bytes >= SMALLEST_MAPPED_BLOCK) {
        return map_aligned(bytes);
    }
#endif
    return {zeroed ? std::calloc(bytes, 1) : std::malloc(bytes), BlockDeleter{}};
}

} // namespace rf
