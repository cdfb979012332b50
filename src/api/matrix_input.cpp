#include "matrix_input.hpp"

#include <cmath>
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

void copy_matrix(const MatrixView& view, rf::DistanceMatrix& matrix, std::optional<std::size_t> index) {
    const std::int32_t n = matrix.leaf_count();
    const auto* bytes = static_cast<const unsigned char*>(view.data);
    for (std::int32_t i = 0; i < n; ++i) {
        const unsigned char* row = bytes + static_cast<std::ptrdiff_t>(i) * view.row_step;
        double* cells = matrix.row(i + 1) + 1;
        for (std::int32_t j = 0; j < n; ++j) {
            double value = 0.0;
            std::memcpy(&value, row + static_cast<std::ptrdiff_t>(j) * view.column_step, sizeof value); // any alignment
            if (!std::isfinite(value)) {
                throw BadArgument("entry [" + std::to_string(i) + ", " + std::to_string(j) + "] is " +
                                      (std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf"),
                                  index);
            }
            cells[j] = i == j ? 0.0 : value;
        }
    }
    matrix.at(0, 0) = 0.0;
}

} // namespace rf_compare::detail
