#include "matrix_checks.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "messages.hpp"

namespace rf_compare::detail {

std::int32_t leaf_count_of(const MatrixView& view, std::optional<std::size_t> index) {
    const std::string shape = shape_text(view.rows, view.columns);
    const ErrorPlace place{index, std::nullopt, std::nullopt};
    if (view.rows != view.columns) {
        throw matrix_error(ErrorKind::bad_argument, place, "is not square: shape " + shape);
    }
    if (view.rows < 2) {
        throw matrix_error(ErrorKind::bad_argument, place, "has fewer than 2 leaves: shape " + shape);
    }
    if (view.rows > std::numeric_limits<std::int32_t>::max()) {
        throw matrix_error(ErrorKind::bad_argument, place, "has too many leaves: shape " + shape);
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

std::string name_of_non_finite(double value) { return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf"; }

} // namespace

void copy_matrix(const MatrixView& view, rf::DistanceMatrix& matrix, std::optional<std::size_t> index,
                 const std::vector<std::int32_t>* order) {
    const std::int32_t n = matrix.leaf_count();
    const auto* bytes = static_cast<const unsigned char*>(view.data);
    for (std::int32_t i = 0; i < n; ++i) {
        double* cells = matrix.row(i + 1) + 1;
        if (order != nullptr) {
            const unsigned char* row = bytes + static_cast<std::ptrdiff_t>((*order)[static_cast<std::size_t>(i)]) * view.row_step;
            for (std::int32_t j = 0; j < n; ++j) {
                std::memcpy(cells + j, row + static_cast<std::ptrdiff_t>((*order)[static_cast<std::size_t>(j)]) * view.column_step,
                            sizeof(double));
            }
        } else {
            copy_row(bytes + static_cast<std::ptrdiff_t>(i) * view.row_step, view.column_step, n, cells);
        }
        if (!all_finite(cells, n)) {
            const auto j = std::find_if(cells, cells + n, [](double x) { return !std::isfinite(x); }) - cells;
            const auto given = [order](std::int64_t k) { // where the caller has it
                return order != nullptr ? (*order)[static_cast<std::size_t>(k)] : k;
            };
            throw matrix_error(ErrorKind::bad_argument, {index, given(i), given(j)},
                               "is " + name_of_non_finite(cells[j]) + ", not a finite number");
        }
        cells[i] = 0.0;
    }
    matrix.at(0, 0) = 0.0;
}

} // namespace rf_compare::detail
