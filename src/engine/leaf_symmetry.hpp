// SPDX-License-Identifier: MIT
// The leaves of a distance matrix ranked by what their distances tell apart,
// whatever order the matrix gives them in: a leaf is first known by the
// values in its row, then by the values and the classes of the leaves they
// lead to, until no class splits (colour refinement). Leaves of one class
// share a rank; in every matrix but the most regular ones they are the
// leaves that a symmetry of the matrix swaps, such as the copies of one
// sequence.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "distance_matrix.hpp"

namespace rf {

// rank[v - 1] for leaf v, in 0..n-1; d(a, b) is taken as the mean of the two
// entries, as neighbor joining takes it. O(n^2 log n) for each round of
// refinement, a few rounds in practice (at most 16). `stop` (may be empty)
// is asked now and then; true throws Cancelled. Throws std::bad_alloc.
[[nodiscard]] std::vector<std::int64_t> leaf_ranks(const DistanceMatrix& matrix, const std::function<bool()>& stop = {});

} // namespace rf
