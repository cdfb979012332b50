// SPDX-License-Identifier: MIT
// A joined tree as the rest of the pipeline takes a rebuilt one: an inner
// edge whose length is at or below `zero` (a negative one too) is merged
// away, its two ends made one node, as the additive rebuild takes a branch
// point within `zero` of a node as the node; that is how polytomies arise.
// A leaf's edge keeps its length, a negative one written 0: there is no
// negative length in a rebuilt tree. How far the lengths so given are from
// the matrix is its misfit, measured on the tree as it is.
#pragma once

#include "cluster_tree.hpp"
#include "neighbor_joining.hpp"

namespace rf {

// Throws std::bad_alloc.
[[nodiscard]] ClusterTree tree_of_joins(const JoinedTree& joined, double zero);

} // namespace rf
