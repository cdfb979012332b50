// The order in which the leaves of one matrix are inserted into its tree:
// first leaf f, last leaf l, and each position in between, filled from the
// back, gets the unplaced leaf whose path from f passes closest to the leaf
// placed just behind it (ties go to the higher leaf number).
#pragma once

#include <cstdint>
#include <vector>

#include "distance_matrix.hpp"

namespace rf {

// Positions 1..n holding a permutation of the leaves (position 0 unused).
using LeafOrder = std::vector<std::int32_t>;

// Fills order[1..n]; needs n >= 2 and f != l. Reads only D[x][j], D[x][f]
// and D[j][f] for distinct leaves.
void build_leaf_order(const DistanceMatrix& matrix, LeafOrder& order, std::int32_t first_leaf,
                      std::int32_t last_leaf);

} // namespace rf
