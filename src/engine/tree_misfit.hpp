// How far a rebuilt tree's path lengths are from the matrix it was rebuilt
// from: the largest |D[i][j] - path(i, j)| over every two leaves, both
// triangles of the matrix, and that over the matrix's largest entry. An
// exact tree metric gives rounding alone; a matrix far from one, a misfit
// that the tree cannot be trusted with (it depends on the order of the
// leaves).
#pragma once

#include "cluster_tree.hpp"
#include "distance_matrix.hpp"
#include "rf_compare/misfit.hpp"

namespace rf {

using rf_compare::Misfit;

// Path lengths come from the leaves' depths below leaf 1 and the depth of
// their lowest common ancestor, which a depth-first order of the leaves
// gives as a running minimum: the cost is a few operations per entry.
[[nodiscard]] Misfit misfit_of(const DistanceMatrix& matrix, const ClusterTree& tree, double largest_entry);

} // namespace rf
