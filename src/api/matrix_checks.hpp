// Matrices handed to the library in memory, checked and copied into the
// engine's layout: square, at least two leaves, every entry finite.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "distance_matrix.hpp"
#include "rf_compare/matrix_view.hpp"

namespace rf_compare::detail {

// n of a square matrix of at least two leaves; an Error of kind
// bad_argument otherwise, `index` being the matrix at fault.
[[nodiscard]] std::int32_t leaf_count_of(const MatrixView& view, std::optional<std::size_t> index);

// Copies the view's entries into rows and columns 1..n of `matrix`, which
// has the view's n, the diagonal as 0; leaf k from the view's leaf
// (*order)[k] when an order is given. bad_argument at the first entry, row
// by row, that is not finite.
void copy_matrix(const MatrixView& view, rf::DistanceMatrix& matrix, std::optional<std::size_t> index,
                 const std::vector<std::int32_t>* order = nullptr);

} // namespace rf_compare::detail
