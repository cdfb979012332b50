// A tree rebuilt from one additive distance matrix.
//
// Thread-safety: a Tree is immutable; copies share it, and any number of
// threads may read it. Errors: rf_compare::Error only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rf_compare/matrix_view.hpp"
#include "rf_compare/misfit.hpp"
#include "rf_compare/tolerance.hpp"

namespace rf_compare {

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

    // The names it was rebuilt with; empty when there were none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept;

    // How far its path lengths are from the matrix it was rebuilt from.
    [[nodiscard]] Misfit misfit() const noexcept;

    // When the matrix is no tree metric (relative misfit beyond
    // TREE_METRIC_MISFIT), a sentence saying so and by how much; else empty.
    [[nodiscard]] const std::string& misfit_warning() const noexcept;

    // The line rf_pairs --newick writes for it, without the line end, its
    // leaves named by number or by the names it was rebuilt with.
    [[nodiscard]] std::string newick() const;

private:
    friend Tree rebuild(const MatrixView& matrix, std::vector<std::string> names, const Tolerance& tolerance,
                        bool strict);
    struct State;
    std::shared_ptr<const State> state_;
};

// The tree of one matrix; `names`, when given, name leaves 1..n in its
// Newick line (n distinct names, quoted where Newick needs it). `strict`:
// a matrix that is no tree metric is not additive. Throws bad_argument
// (also for a matrix that is no distance matrix: see TreeSet::add),
// not_additive (place: matrix 0) or too_large.
[[nodiscard]] Tree rebuild(const MatrixView& matrix, std::vector<std::string> names = {},
                           const Tolerance& tolerance = {}, bool strict = false);

} // namespace rf_compare
