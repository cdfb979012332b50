// One square matrix of doubles laid out in any way, read and never kept.
#pragma once

#include <cstdint>

namespace rf_compare {

// Entry (i, j), counted from 0, at the byte address data + i * row_step +
// j * column_step: row-major, column-major and strided arrays alike.
struct MatrixView {
    const void* data;
    std::int64_t rows;
    std::int64_t columns;
    std::int64_t row_step;    // in bytes
    std::int64_t column_step; // in bytes
};

} // namespace rf_compare
