// Rebuilds the tree whose path lengths one distance matrix records, by
// inserting its leaves one at a time in leaf order; the tree is described
// by its clusters relative to leaf 1.
#pragma once

#include <optional>

#include "cluster_tree.hpp"
#include "distance_matrix.hpp"
#include "tolerances.hpp"

namespace rf {

// The tree, its clusters numbered in the order they were made; nothing
// when the matrix is not additive: an offset or pendant length at or below
// the additivity limit, or not finite. Needs n >= 2. Throws std::bad_alloc.
[[nodiscard]] std::optional<ClusterTree> rebuild_tree(const DistanceMatrix& matrix, const Tolerances& tolerances = {});

} // namespace rf
