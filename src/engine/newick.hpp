// A rebuilt tree as one line of Newick: leaves named by their numbers, every
// edge with the length the reconstruction gave it, rooted at the inner node
// next to leaf 1, which is its first child:
//   (1:L,(2:a,3:b):c,4:d);
// With two leaves there is no inner node: (1:L,2:0); puts the root at leaf 2.
#pragma once

#include <cstdint>
#include <string>

#include "engine_types.hpp"

namespace rf {

// Appends the tree of clusters 1..count, and ";\n", to `line`.
void append_newick(const ClusterTree& tree, std::int32_t count, std::string& line);

} // namespace rf
