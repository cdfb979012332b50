#include "engine_types.hpp"

#include <algorithm>
#include <cstring>

namespace rf {

namespace {

std::size_t checked_square(std::size_t side) {
    if (side != 0 && side > SIZE_MAX / side) {
        throw std::bad_array_new_length();
    }
    return side * side;
}

} // namespace

DistanceMatrix::DistanceMatrix(std::int32_t leaf_count)
    : leaf_count_(leaf_count),
      stride_(static_cast<std::size_t>(leaf_count) + 1),
      cells_(std::make_unique_for_overwrite<double[]>(checked_square(stride_))) {}

ClusterTable::ClusterTable(std::int32_t leaf_count)
    : leaf_count_(leaf_count),
      words_per_row_(static_cast<std::size_t>(leaf_count) / WORD_BITS + 1),
      bits_(std::make_unique<Word[]>(words_per_row_ * (2 * static_cast<std::size_t>(leaf_count) - 2))) {}

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
