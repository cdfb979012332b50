#include "byte_buffer.hpp"

#include <cstring>

namespace rf {

void ByteBuffer::grow(std::size_t size, std::size_t kept) {
    if (size <= size_) {
        return;
    }
    HeapArray<char> larger = allocate_array<char>(size, false);
    if (kept != 0) {
        std::memcpy(larger.get(), bytes_.get(), kept);
    }
    bytes_ = std::move(larger);
    size_ = size;
}

std::size_t ByteBuffer::keep_unread(std::size_t begin, std::size_t end) {
    const std::size_t kept = end - begin;
    if (kept != 0 && begin != 0) {
        std::memmove(bytes_.get(), bytes_.get() + begin, kept);
    }
    if (kept == size_) {
        grow(size_ * 2, kept);
    }
    return kept;
}

} // namespace rf
