// A tree given by its edges, in any rooting, made the engine's ClusterTree:
// nodes 0..N-1, some of them leaves numbered 1..n. Inner nodes that are
// left with one edge (a root above a single subtree) are dropped with
// their edge; inner nodes with two edges (a bifurcating root) are passed
// through, their two edges one of the summed length. A length may be NaN,
// for none; sums with it stay NaN.
#pragma once

#include <cstdint>
#include <span>

#include "cluster_tree.hpp"

namespace rf {

struct LooseEdge {
    std::int32_t a;
    std::int32_t b;
    double length;
};

// `leaf_of[v]`: the leaf number of node v, 0 for an inner node. The edges
// must form a tree over the nodes in which every leaf number 1..n is at
// one node with one edge; n >= 2. Throws std::bad_alloc.
[[nodiscard]] ClusterTree cluster_tree_from_edges(std::int32_t leaf_count, std::span<const std::int32_t> leaf_of,
                                                  std::span<const LooseEdge> edges);

// The same tree with leaf v numbered `new_number[v]` (index 0 unused), its
// clusters taken relative to the new leaf 1. Throws std::bad_alloc.
[[nodiscard]] ClusterTree renumbered_leaves(const ClusterTree& tree, std::span<const std::int32_t> new_number);

} // namespace rf
