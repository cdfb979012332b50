// What a Tree holds, for the library's own code: its clusters and names,
// and how a Tree is made from them.
#pragma once

#include <string>
#include <vector>

#include "cluster_tree.hpp"
#include "rf_compare/tree.hpp"

namespace rf_compare {

struct Tree::State {
    rf::ClusterTree tree;
    std::vector<std::string> names;
    Misfit misfit;
    std::string misfit_warning;
    bool has_lengths = true;
};

namespace detail {

struct TreeAccess {
    [[nodiscard]] static Tree made(Tree::State state) {
        Tree tree;
        tree.state_ = std::make_shared<const Tree::State>(std::move(state));
        return tree;
    }
    [[nodiscard]] static const Tree::State& state(const Tree& tree) noexcept { return *tree.state_; }
};

} // namespace detail
} // namespace rf_compare
