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

    // The line rf_pairs --newick writes for it, without the line end, its
    // leaves named by number or by the names it was rebuilt with.
    [[nodiscard]] std::string newick() const;

private:
    friend Tree rebuild(const MatrixView& matrix, std::vector<std::string> names);
    struct State;
    std::shared_ptr<const State> state_;
};

// The tree of one matrix; `names`, when given, name leaves 1..n in its
// Newick line (n distinct names, quoted where Newick needs it). Throws
// bad_argument, not_additive (place: matrix 0) or too_large.
[[nodiscard]] Tree rebuild(const MatrixView& matrix, std::vector<std::string> names = {});

} // namespace rf_compare
