// Rebuilds the tree of one distance matrix by inserting its leaves in leaf
// order, and describes it by its clusters relative to leaf 1.
#pragma once

#include "engine_types.hpp"

namespace rf {

// Overwrites table rows 1..2n-3 and list positions 1..2n-3 and returns the
// cluster count (1..2n-3), list positions 1..count in cluster order. Returns 0
// after printing "\n This is not an additive distance \n" on standard output
// when an offset or pendant length is at or below ADDITIVITY_LIMIT or not
// finite. Needs n >= 2 and table and list sized for the matrix's n.
std::int32_t build_cluster_table(const DistanceMatrix& matrix, ClusterTable& table, ClusterList& list);

// The same reconstruction, which also describes the tree itself: `tree`
// receives each cluster's parent, edge length and leaf (entries 0..count).
// Prints nothing: a rejected matrix is only the result 0.
std::int32_t rebuild_tree(const DistanceMatrix& matrix, ClusterTable& table, ClusterList& list, ClusterTree& tree);

} // namespace rf
