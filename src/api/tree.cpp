#include <algorithm>
#include <set>

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
