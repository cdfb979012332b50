// Large arrays outside the C++ allocator: a refused request reads as
// std::bad_alloc in every build, sanitizers included. On Linux, arrays of half a
// huge page or more get their own mapping, aligned to the huge-page size,
// and the system is asked to back them with huge pages: where the first
// touch of a page is costly (virtual machines), faulting a 128 MiB matrix
// 4 KiB at a time cost a fifth of a run. Elsewhere, and for smaller arrays,
// the C heap serves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace rf {

// Gives a block back the way it was had: `mapped_bytes` 0 for the C heap,
// else the length of its own mapping.
struct BlockDeleter {
    std::size_t mapped_bytes = 0;
    void operator()(void* block) const noexcept;
};

template <typename T>
using HeapArray = std::unique_ptr<T[], BlockDeleter>;

// a * b; std::bad_array_new_length when it does not fit a size_t.
[[nodiscard]] std::size_t checked_product(std::size_t a, std::size_t b);

struct RawBlock {
    void* start = nullptr; // nullptr when the block cannot be had
    BlockDeleter deleter;
};

// `bytes` bytes, zeroed on request.
[[nodiscard]] RawBlock allocate_block(std::size_t bytes, bool zeroed) noexcept;

// `count` elements, zeroed on request; std::bad_alloc when the block cannot
// be had.
template <typename T>
[[nodiscard]] HeapArray<T> allocate_array(std::size_t count, bool zeroed) {
    count = count == 0 ? 1 : count; // a zero-byte request may answer null
    const RawBlock block = allocate_block(checked_product(count, sizeof(T)), zeroed);
    if (block.start == nullptr) {
        throw std::bad_alloc();
    }
    return HeapArray<T>(static_cast<T*>(block.start), block.deleter);
}

} // namespace rf
