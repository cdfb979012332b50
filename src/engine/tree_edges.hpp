// Rebuilt trees as the comparison of many trees sees them.
#pragma once

#include <cstdint>
#include <vector>

namespace rf {

// One tree: the catalog numbers of its inner clusters (those of inner
// edges), in increasing order; and, when lengths are kept, each one's edge
// length beside it and the length of every leaf's own edge, indexed by leaf
// 1..n (index 0 unused), leaf 1's being the edge from leaf 1 to the rest of
// the tree. Every edge of the unrooted tree is one of them. All empty for a
// matrix that was not rebuilt.
struct TreeEdges {
    std::vector<std::int32_t> inner_clusters;
    std::vector<double> inner_lengths;
    std::vector<double> leaf_lengths;
    bool rebuilt = false;
};

// The trees of many matrices, in the order of the matrices, numbered by
// one catalog: equal clusters have equal numbers, 0..cluster_numbers-1.
struct NumberedTrees {
    std::vector<TreeEdges> trees;
    std::int32_t cluster_numbers = 0;
};

} // namespace rf
