#include "cluster_table.hpp"

#include <algorithm>
#include <numeric>

#include "cluster_children.hpp"

namespace rf {

ClusterTable::ClusterTable(std::int32_t leaf_count)
    : leaf_count_(leaf_count),
      words_per_row_(static_cast<std::size_t>(leaf_count) / WORD_BITS + 1),
      bits_(allocate_array<Word>(checked_product(words_per_row_, 2 * static_cast<std::size_t>(leaf_count) - 2), true)) {}

void ClusterTable::merge_row(std::int32_t to, std::int32_t from) noexcept {
    Word* target = mutable_row(to);
    const Word* source = row(from);
    for (std::size_t w = 0; w < words_per_row_; ++w) {
        target[w] |= source[w];
    }
}

void ClusterTable::clear() noexcept {
    std::fill_n(bits_.get(), words_per_row_ * (2 * static_cast<std::size_t>(leaf_count_) - 2), Word{0});
}

int compare_cluster_rows(const ClusterTable::Word* a, const ClusterTable::Word* b, std::size_t words) noexcept {
    for (std::size_t w = words; w-- > 0;) {
        if (a[w] != b[w]) {
            return a[w] < b[w] ? -1 : 1;
        }
    }
    return 0;
}

// The clusters of one tree are distinct and pairwise nested or disjoint, so
// cluster order is the order of (largest leaf, size): disjoint clusters have
// different largest leaves, and of two nested ones with the same largest
// leaf the one inside is smaller.
std::int32_t describe_clusters(const ClusterTree& tree, ClusterTable& table, ClusterList& list) {
    const std::int32_t count = tree.count();
    const ClusterChildren children(tree);
    // Top down, so that read backwards every cluster comes before its parent.
    std::vector<std::int32_t> top_down;
    top_down.reserve(static_cast<std::size_t>(count));
    top_down.push_back(children.top());
    for (std::size_t k = 0; k < top_down.size(); ++k) {
        const std::span<const std::int32_t> below = children.of(top_down[k]);
        top_down.insert(top_down.end(), below.begin(), below.end());
    }
    struct Key {
        std::int32_t largest_leaf = 0;
        std::int32_t size = 0;
    };
    std::vector<Key> keys(static_cast<std::size_t>(count) + 1);
    table.clear();
    for (auto c = top_down.rbegin(); c != top_down.rend(); ++c) {
        const auto at = static_cast<std::size_t>(*c);
        if (tree.leaf[at] != 0) {
            table.add_leaf(*c, tree.leaf[at]);
            keys[at] = {tree.leaf[at], 1};
        }
        const auto parent = static_cast<std::size_t>(tree.parent[at]);
        if (parent != 0) {
            table.merge_row(tree.parent[at], *c);
            keys[parent].largest_leaf = std::max(keys[parent].largest_leaf, keys[at].largest_leaf);
            keys[parent].size += keys[at].size;
        }
    }
    std::vector<std::int32_t> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&keys](std::int32_t a, std::int32_t b) {
        const Key& x = keys[static_cast<std::size_t>(a)];
        const Key& y = keys[static_cast<std::size_t>(b)];
        return x.largest_leaf != y.largest_leaf ? x.largest_leaf < y.largest_leaf : x.size < y.size;
    });
    for (std::int32_t p = 1; p <= list.capacity(); ++p) {
        list[p] = p <= count ? order[static_cast<std::size_t>(p) - 1] : 0;
    }
    return count;
}

} // namespace rf
