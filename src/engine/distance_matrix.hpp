// One distance matrix of n leaves as the engine reads it: rows and columns
// 0..n of doubles, entry (i, j) row i, column j as given; row and column 0
// are never read. Leaves are numbered 1..n.
#pragma once

#include <cstddef>
#include <cstdint>

#include "heap_array.hpp"

namespace rf {

class DistanceMatrix {
public:
    // Allocates without touching the cells, so that pages are first touched
    // by whoever fills them. Throws std::bad_alloc when it cannot.
    explicit DistanceMatrix(std::int32_t leaf_count);

    [[nodiscard]] std::int32_t leaf_count() const noexcept { return leaf_count_; }
    [[nodiscard]] double* row(std::int32_t i) noexcept { return cells_.get() + offset(i); }
    [[nodiscard]] const double* row(std::int32_t i) const noexcept { return cells_.get() + offset(i); }
    [[nodiscard]] double& at(std::int32_t i, std::int32_t j) noexcept { return row(i)[j]; }
    [[nodiscard]] double at(std::int32_t i, std::int32_t j) const noexcept { return row(i)[j]; }

private:
    [[nodiscard]] std::size_t offset(std::int32_t i) const noexcept {
        return static_cast<std::size_t>(i) * stride_;
    }

    std::int32_t leaf_count_;
    std::size_t stride_;
    HeapArray<double> cells_;
};

} // namespace rf
