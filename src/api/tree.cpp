#include <algorithm>
#include <set>

#include "cluster_children.hpp"
#include "matrix_input.hpp"
#include "newick.hpp"
#include "tree_reconstruction.hpp"

namespace rf_compare {

struct Tree::State {
    std::int32_t leaf_count;
    rf::ClusterTree tree;
    std::int32_t count;
    std::vector<std::string> names;
};

std::int32_t Tree::leaf_count() const noexcept { return state_->leaf_count; }

const std::vector<std::string>& Tree::names() const noexcept { return state_->names; }

std::vector<TreeEdge> Tree::edges() const {
    const rf::ClusterTree& tree = state_->tree;
    const rf::ClusterChildren children(tree, state_->count);
    const std::int32_t root = state_->leaf_count + 1;
    const auto top = static_cast<std::size_t>(children.top());
    std::vector<TreeEdge> edges{{root, 1, tree.edge_length[top]}};
    if (tree.leaf[top] != 0) { // two leaves
        edges.push_back({root, tree.leaf[top], 0.0});
        return edges;
    }
    // Depth first, each child's subtree before the next child's.
    std::int32_t next_inner = root;
    std::vector<std::pair<std::int32_t, std::int32_t>> stack; // cluster, its node
    const auto push_children = [&](std::int32_t cluster, std::int32_t node) {
        const std::span<const std::int32_t> below = children.of(cluster);
        for (auto child = below.rbegin(); child != below.rend(); ++child) {
            stack.emplace_back(*child, node);
        }
    };
    push_children(children.top(), root);
    while (!stack.empty()) {
        const auto [cluster, parent] = stack.back();
        stack.pop_back();
        const auto c = static_cast<std::size_t>(cluster);
        const std::int32_t node = tree.leaf[c] != 0 ? tree.leaf[c] : ++next_inner;
        edges.push_back({parent, node, tree.edge_length[c]});
        if (tree.leaf[c] == 0) {
            push_children(cluster, node);
        }
    }
    return edges;
}

std::string Tree::newick() const {
    std::string line;
    rf::append_newick(state_->tree, state_->count, line, state_->names.empty() ? nullptr : &state_->names);
    line.pop_back(); // the line end
    return line;
}

namespace {

void check_names(const std::vector<std::string>& names, std::int32_t n) {
    if (names.empty()) {
        return;
    }
    if (names.size() != static_cast<std::size_t>(n)) {
        throw BadArgument(std::to_string(names.size()) + " names for " + std::to_string(n) + " leaves");
    }
    std::set<std::string_view> seen;
    for (const std::string& name : names) {
        if (!seen.insert(name).second) {
            throw BadArgument("the name '" + name + "' is given to two leaves");
        }
    }
}

} // namespace

Tree rebuild(const MatrixView& matrix, std::vector<std::string> names) {
    const std::int32_t n = detail::leaf_count_of(matrix, std::nullopt);
    check_names(names, n);
    rf::DistanceMatrix d(n);
    detail::copy_matrix(matrix, d, std::nullopt);
    rf::ClusterTable table(n);
    rf::ClusterList list(n);
    rf::ClusterTree tree;
    const std::int32_t count = rf::rebuild_tree(d, table, list, tree);
    if (count == 0) {
        throw NotAdditive("This is not an additive distance", 0);
    }
    Tree rebuilt;
    rebuilt.state_ = std::make_shared<const Tree::State>(Tree::State{n, std::move(tree), count, std::move(names)});
    return rebuilt;
}

} // namespace rf_compare
