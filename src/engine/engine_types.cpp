#include "engine_types.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace rf {

namespace {

std::size_t checked_product(std::size_t a, std::size_t b) {
    if (a != 0 && b > SIZE_MAX / a) {
        throw std::bad_array_new_length();
    }
    return a * b;
}

// Throws std::bad_alloc when the block cannot be had; zeroed on request.
template <typename T>
HeapArray<T> allocate_array(std::size_t count, bool zeroed) {
    count = count == 0 ? 1 : count; // a zero-byte request may answer null
    const std::size_t bytes = checked_product(count, sizeof(T));
    void* block = zeroed ? std::calloc(count, sizeof(T)) : std::malloc(bytes);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return HeapArray<T>(static_cast<T*>(block));
}

} // namespace

DistanceMatrix::DistanceMatrix(std::int32_t leaf_count)
    : leaf_count_(leaf_count),
      stride_(static_cast<std::size_t>(leaf_count) + 1),
      cells_(allocate_array<double>(checked_product(stride_, stride_), false)) {}

ClusterTable::ClusterTable(std::int32_t leaf_count)
    : leaf_count_(leaf_count),
      words_per_row_(static_cast<std::size_t>(leaf_count) / WORD_BITS + 1),
      bits_(allocate_array<Word>(checked_product(words_per_row_, 2 * static_cast<std::size_t>(leaf_count) - 2), true)) {}

void ClusterTable::copy_row(std::int32_t to, std::int32_t from) noexcept {
    std::memcpy(mutable_row(to), row(from), words_per_row_ * sizeof(Word));
}

void ClusterTable::clear() noexcept {
    std::fill_n(bits_.get(), words_per_row_ * (2 * static_cast<std::size_t>(leaf_count_) - 2), Word{0});
}

int compare_cluster_rows(const ClusterTable::Word* a, const ClusterTable::Word* b, std::size_t words) noexcept {
    for (std::size_t w = words; w-- > 0;) {
        if (a[w] != b[w]) {
            return a[w] < b[w] ? -1 : 1;
        }
    }
    return 0;
}

} // namespace rf
