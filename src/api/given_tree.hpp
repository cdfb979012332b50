// Trees given as trees, made Trees: a tree parsed from Newick or NEXUS,
// Newick text, or edges numbered as ape numbers them. The leaves are
// numbered in the order their names come.
#pragma once

#include <string>

#include "leaf_names.hpp"
#include "newick_parser.hpp"
#include "rf_compare/tree.hpp"

namespace rf_compare::detail {

// Throws Error (bad_argument) for a tree of fewer than two leaves or a
// leaf's name given twice ("the leaf name "x" is given twice"), and
// std::bad_alloc.
[[nodiscard]] Tree tree_of_parsed(const rf::NewickTree& parsed);

// The same with its leaves numbered in the order of `first`'s names, which
// are fixed: no renumbering later. Throws LeafNames::Mismatch for leaves
// that are not the first's, std::bad_alloc.
[[nodiscard]] Tree tree_of_parsed(const rf::NewickTree& parsed, const LeafNames& first);

} // namespace rf_compare::detail
