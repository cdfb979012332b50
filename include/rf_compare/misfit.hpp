// How far a rebuilt tree's path lengths are from the matrix it was rebuilt
// from: the largest |D[i][j] - path(i, j)| over every two leaves (both
// triangles), absolute and relative to the matrix's largest entry. An exact
// tree metric gives its rounding alone: written with six decimals, 2e-6 at
// most, so below TREE_METRIC_MISFIT whenever its largest entry is above
// 0.02. Beyond it the matrix is no tree metric, and its tree depends on the
// order of the leaves.
#pragma once

namespace rf_compare {

struct Misfit {
    double absolute = 0.0;
    double relative = 0.0; // 0 for a matrix of zeros
};

inline constexpr double TREE_METRIC_MISFIT = 1e-4;

} // namespace rf_compare
