// Large arrays from malloc/calloc: a refused request reads as std::bad_alloc
// in every build, sanitizers included, and calloc's fresh pages are zero
// without being touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace rf {

struct FreeDeleter {
    void operator()(void* block) const noexcept { std::free(block); }
};

template <typename T>
using HeapArray = std::unique_ptr<T[], FreeDeleter>;

// a * b; std::bad_array_new_length when it does not fit a size_t.
[[nodiscard]] std::size_t checked_product(std::size_t a, std::size_t b);

// `count` elements, zeroed on request; std::bad_alloc when the block cannot
// be had.
template <typename T>
[[nodiscard]] HeapArray<T> allocate_array(std::size_t count, bool zeroed) {
    count = count == 0 ? 1 : count; // a zero-byte request may answer null
    const std::size_t bytes = checked_product(count, sizeof(T));
    void* block = zeroed ? std::calloc(count, sizeof(T)) : std::malloc(bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return HeapArray<T>(static_cast<T*>(block));
}

} // namespace rf
