#include "rf_compare/tree.hpp"

#include <set>
#include <string_view>

#include "cluster_children.hpp"
#include "cluster_tree.hpp"
#include "guarded_call.hpp"
#include "matrix_checks.hpp"
#include "newick.hpp"
#include "judged_tree.hpp"
#include "tree_access.hpp"

namespace rf_compare {

std::int32_t Tree::leaf_count() const noexcept { return state_->tree.leaf_count; }

const std::vector<std::string>& Tree::names() const noexcept { return state_->names; }

Misfit Tree::misfit() const noexcept { return state_->misfit; }

bool Tree::has_lengths() const noexcept { return state_->has_lengths; }

const std::string& Tree::misfit_warning() const noexcept { return state_->misfit_warning; }

std::vector<TreeEdge> Tree::edges() const {
    return detail::guarded("a tree's edges", [this] {
        const rf::ClusterTree& tree = state_->tree;
        const rf::ClusterChildren children(tree);
        const std::int32_t root = tree.leaf_count + 1;
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
    });
}

std::string Tree::newick() const {
    return detail::guarded("a Newick line", [this] {
        std::string line;
        rf::append_newick(state_->tree, line, state_->names.empty() ? nullptr : &state_->names);
        line.pop_back(); // the line end
        return line;
    });
}

namespace {

void check_names(const std::vector<std::string>& names, std::int32_t n) {
    if (names.empty()) {
        return;
    }
    if (names.size() != static_cast<std::size_t>(n)) {
        throw Error(ErrorKind::bad_argument, std::to_string(names.size()) + " names for " + std::to_string(n) + " leaves");
    }
    std::set<std::string_view> seen;
    for (const std::string& name : names) {
        if (!seen.insert(name).second) {
            throw Error(ErrorKind::bad_argument, "names must be distinct: '" + name + "' is given twice");
        }
    }
}

} // namespace

Tree rebuild(const MatrixView& matrix, std::vector<std::string> names, const Tolerance& tolerance, bool strict,
             RebuildMethod method) {
    return detail::guarded("rebuilding a tree", [&] {
        const std::int32_t n = detail::leaf_count_of(matrix, std::nullopt);
        check_names(names, n);
        rf::DistanceMatrix d(n);
        detail::copy_matrix(matrix, d, std::nullopt);
        detail::JudgedTree judged = detail::judge_matrix(d, {tolerance, strict, method});
        if (judged.fault) {
            throw detail::matrix_error(ErrorKind::bad_argument, {std::nullopt, judged.fault->row - 1, judged.fault->column - 1},
                                       detail::fault_text(*judged.fault));
        }
        if (!judged.tree) {
            const std::string detail = detail::not_additive_text(judged.verdict);
            throw Error(ErrorKind::not_additive, "matrix " + detail, {0, std::nullopt, std::nullopt}, detail);
        }
        std::string warning = detail::misfit_warning({judged.verdict});
        return detail::TreeAccess::made(
            {std::move(*judged.tree), std::move(names), judged.verdict.misfit, std::move(warning), true});
    });
}

} // namespace rf_compare
