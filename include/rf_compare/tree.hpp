// A tree rebuilt from one additive distance matrix, or given as a tree
// (Newick text, a tree file, edges such as R's phylo holds). Either is
// compared the same way: as unrooted splits, a leaf's own edge among them;
// a bifurcating root's two edges are one split of their summed length, and
// nodes with two edges are passed through. A tree given as a tree keeps
// its inner edges of length 0 as splits; a rebuilt tree has none.
//
// Thread-safety: a Tree is immutable; copies share it, and any number of
// threads may read it. Errors: rf_compare::Error only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rf_compare/matrix_view.hpp"
#include "rf_compare/misfit.hpp"
#include "rf_compare/rebuild_method.hpp"
#include "rf_compare/tolerance.hpp"

namespace rf_compare {

namespace detail {
struct TreeAccess;
}

// One edge of a rebuilt tree. Nodes are numbered as R's ape numbers them:
// leaves 1..n, inner nodes from n + 1 on, n + 1 being the root, the inner
// node next to leaf 1.
struct TreeEdge {
    std::int32_t parent;
    std::int32_t child;
    double length;
};

class Tree {
public:
    [[nodiscard]] std::int32_t leaf_count() const noexcept;

    // Every edge, in the order of the Newick line: depth first from the
    // root, leaf 1's edge first; a parent before its children. With two
    // leaves there is no inner node: the root n + 1 gets leaf 1 at the
    // edge's length and leaf 2 at 0, as the Newick line reads.
    [[nodiscard]] std::vector<TreeEdge> edges() const;

    // The names it was rebuilt with, or its leaves' names as given; empty
    // when there were none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept;

    // False for a tree given without the length of some edge (NaN in
    // edges(), none in its Newick line): it can be compared by Metric::rf
    // only.
    [[nodiscard]] bool has_lengths() const noexcept;

    // How far its path lengths are from the matrix it was rebuilt from; 0
    // for a tree given as a tree.
    [[nodiscard]] Misfit misfit() const noexcept;

    // When the matrix is no tree metric (relative misfit beyond
    // TREE_METRIC_MISFIT) and its tree is additive, so that it depends on
    // the order of the leaves, a sentence saying so and by how much; else
    // empty.
    [[nodiscard]] const std::string& misfit_warning() const noexcept;

    // The line rf_pairs --newick writes for it, without the line end, its
    // leaves named by number or by the names it was rebuilt with.
    [[nodiscard]] std::string newick() const;

private:
    friend struct detail::TreeAccess;
    friend Tree rebuild(const MatrixView& matrix, std::vector<std::string> names, const Tolerance& tolerance,
                        bool strict, RebuildMethod method);
    struct State;
    std::shared_ptr<const State> state_;
};

// The tree of one matrix, made by `method`; `names`, when given, name
// leaves 1..n in its Newick line (n distinct names, quoted where Newick
// needs it). `strict`: a matrix that is no tree metric is not additive.
// Throws bad_argument (also for a matrix that is no distance matrix: see
// TreeSet::add), not_additive (place: matrix 0) or too_large.
[[nodiscard]] Tree rebuild(const MatrixView& matrix, std::vector<std::string> names = {},
                           const Tolerance& tolerance = {}, bool strict = false,
                           RebuildMethod method = RebuildMethod::additive);

// The first tree of Newick text ("((a:1,b:1):2,c:3);"), its leaves in the
// order of the text. Throws bad_input with the column and what was
// expected, or bad_argument for leaves that are not named once each.
[[nodiscard]] Tree tree_from_newick(std::string_view text);

// A tree again, exactly, from what edges(), leaf_count(), names() and
// misfit() gave of it: for saving and pickling. Throws bad_argument for
// edges that are no tree of these leaves.
[[nodiscard]] Tree restored_tree(const std::vector<TreeEdge>& edges, std::int32_t leaf_count,
                                 std::vector<std::string> names, Misfit misfit);

// A tree of edges numbered as ape numbers them (leaves 1..n, named
// `names`, inner nodes above n; any root, any degree); NaN for a length not
// given. Throws bad_argument for edges that are no tree of these leaves.
[[nodiscard]] Tree tree_from_edges(const std::vector<TreeEdge>& edges, std::vector<std::string> names);

} // namespace rf_compare
