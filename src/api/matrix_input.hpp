// Matrices handed to the library, checked and copied into the engine's
// layout: square, at least two leaves, every entry finite.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine_types.hpp"
#include "rf_compare/rf_compare.hpp"

namespace rf_compare::detail {

// "(rows, columns)", as Python writes a shape.
[[nodiscard]] std::string shape_text(std::int64_t rows, std::int64_t columns);

// n of a square matrix of at least two leaves; BadArgument otherwise, with
// `index` as the matrix at fault.
[[nodiscard]] std::int32_t leaf_count_of(const MatrixView& view, std::optional<std::size_t> index);

// Copies the view's entries into rows and columns 1..n of `matrix`, which
// has the view's n, the diagonal as 0; BadArgument at the first entry, row
// by row, that is not finite.
void copy_matrix(const MatrixView& view, rf::DistanceMatrix& matrix, std::optional<std::size_t> index);

} // namespace rf_compare::detail
