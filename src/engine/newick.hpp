// A rebuilt tree as one line of Newick: leaves named by their numbers, every
// edge with the length the reconstruction gave it, rooted at the inner node
// next to leaf 1, which is its first child:
//   (1:L,(2:a,3:b):c,4:d);
// With two leaves there is no inner node: (1:L,2:0); puts the root at leaf 2.
// Leaves may be given names instead, quoted where Newick needs it. A length
// that is NaN (a tree read without lengths) is left out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cluster_tree.hpp"

namespace rf {

// Appends the tree, and ";\n", to `line`; leaf v is written as
// (*names)[v - 1] when names are given (one per leaf), else as v.
void append_newick(const ClusterTree& tree, std::string& line, const std::vector<std::string>* names = nullptr);

// Appends a leaf's name as a Newick label: as it is when Newick reads it
// back so, else in single quotes, each quote inside doubled. Blanks,
// underscores (which unquoted read as blanks), ( ) [ ] ' : ; , " and control
// characters need the quotes, as does the empty name.
void append_newick_label(std::string& line, std::string_view name);

} // namespace rf
