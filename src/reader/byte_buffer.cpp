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

} // namespace rf
