// A growable array of bytes for reading files into: uninitialised (nothing
// is touched before a read fills it) and, when large, on huge pages, so that
// reading does not fault page by page. Not thread-safe; std::bad_alloc when
// memory runs out.
#pragma once

#include <cstddef>
#include <utility>

#include "heap_array.hpp"

namespace rf {

class ByteBuffer {
public:
    explicit ByteBuffer(std::size_t size = 0) : bytes_(allocate_array<char>(size, false)), size_(size) {}

    [[nodiscard]] char* data() noexcept { return bytes_.get(); }
    [[nodiscard]] const char* data() const noexcept { return bytes_.get(); }
    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    [[nodiscard]] char operator[](std::size_t i) const noexcept { return bytes_[i]; }

    // At least `size` bytes, the first `kept` of them as they were.
    void grow(std::size_t size, std::size_t kept);

    // Moves the unread bytes [begin, end) to the front, doubling the buffer
    // when they fill it, so that a read has room; returns how many were kept.
    std::size_t keep_unread(std::size_t begin, std::size_t end);

    friend void swap(ByteBuffer& a, ByteBuffer& b) noexcept {
        std::swap(a.bytes_, b.bytes_);
        std::swap(a.size_, b.size_);
    }

private:
    HeapArray<char> bytes_;
    std::size_t size_;
};

} // namespace rf
