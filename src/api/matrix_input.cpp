#include "matrix_input.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace rf_compare::detail {

std::string shape_text(std::int64_t rows, std::int64_t columns) {
    std::string text = "(";
    text.append(std::to_string(rows)).append(", ").append(std::to_string(columns)).append(")");
    return text;
}

std::int32_t leaf_count_of(const MatrixView& view, std::optional<std::size_t> index) {
    const std::string shape = shape_text(view.rows, view.columns);
    if (view.rows != view.columns) {
        throw BadArgument("not square: shape " + shape, index);
    }
    if (view.rows < 2) {
        throw BadArgument("fewer than 2 leaves: shape " + shape, index);
    }
    if (view.rows > std::numeric_limits<std::int32_t>::max()) {
        throw BadArgument("too many leaves: shape " + shape, index);
    }
    return static_cast<std::int32_t>(view.rows);
}

namespace {

// The row's entries, wherever they lie (a row of a C-ordered array in one
// copy); then each checked finite by its exponent bits, which the compiler
// does many at a time.
void copy_row(const unsigned char* row, std::int64_t column_step, std::int32_t n, double* cells) noexcept {
    if (column_step == static_cast<std::int64_t>(sizeof(double))) {
        std::memcpy(cells, row, static_cast<std::size_t>(n) * sizeof(double));
        return;
    }
    for (std::int32_t j = 0; j < n; ++j) {
        std::memcpy(cells + j, row + static_cast<std::ptrdiff_t>(j) * column_step, sizeof(double)); // any alignment
    }
}

bool all_finite(const double* cells, std::int32_t n) noexcept {
    constexpr std::uint64_t EXPONENT = 0x7FF0000000000000ULL; // all ones: infinite or NaN
    bool finite = true;
    for (std::int32_t j = 0; j < n; ++j) {
        finite &= (std::bit_cast<std::uint64_t>(cells[j]) & EXPONENT) != EXPONENT;
    }
    return finite;
}

} // namespace

void copy_matrix(const MatrixView& view, rf::DistanceMatrix& matrix, std::optional<std::size_t> index) {
    const std::int32_t n = matrix.leaf_count();
    const auto* bytes = static_cast<const unsigned char*>(view.data);
    for (std::int32_t i = 0; i < n; ++i) {
        double* cells = matrix.row(i + 1) + 1;
        copy_row(bytes + static_cast<std::ptrdiff_t>(i) * view.row_step, view.column_step, n, cells);
        if (!all_finite(cells, n)) {
            const auto j = static_cast<std::size_t>(std::find_if(cells, cells + n, [](double x) { return !std::isfinite(x); }) - cells);
            throw BadArgument("entry [" + std::to_string(i) + ", " + std::to_string(j) + "] is " +
                                  (std::isnan(cells[j]) ? "nan" : cells[j] > 0 ? "inf" : "-inf"),
                              index);
        }
        cells[i] = 0.0;
    }
    matrix.at(0, 0) = 0.0;
}

} // namespace rf_compare::detail
