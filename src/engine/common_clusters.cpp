#include "common_clusters.hpp"

#include <algorithm>

namespace rf {

CommonClusters::CommonClusters(const NumberedTrees& numbered)
    : trees_(numbered.trees), first_(static_cast<std::size_t>(numbered.cluster_numbers) + 1, 0),
      lists_lacking_(static_cast<std::size_t>(numbered.cluster_numbers), false) {
    const std::vector<TreeEdges>& trees = numbered.trees;
    const std::size_t tree_count = trees.size();
    // The trees that have each cluster, in increasing order, as one flat list.
    std::vector<std::size_t> holders_first(first_.size(), 0);
    for (const TreeEdges& tree : trees) {
        for (const std::int32_t k : tree.inner_clusters) {
            ++holders_first[static_cast<std::size_t>(k) + 1];
        }
    }
    for (std::size_t k = 1; k < holders_first.size(); ++k) {
        holders_first[k] += holders_first[k - 1];
    }
    std::vector<std::int32_t> holders(holders_first.back());
    std::vector<std::size_t> next(holders_first.begin(), holders_first.end() - 1);
    for (std::size_t t = 0; t < tree_count; ++t) {
        for (const std::int32_t k : trees[t].inner_clusters) {
            holders[next[static_cast<std::size_t>(k)]++] = static_cast<std::int32_t>(t);
        }
    }
    // Each cluster keeps the shorter of its holders and the trees that lack it.
    for (std::size_t k = 0; k < lists_lacking_.size(); ++k) {
        const std::size_t having = holders_first[k + 1] - holders_first[k];
        lists_lacking_[k] = 2 * having > tree_count;
        first_[k + 1] = first_[k] + (lists_lacking_[k] ? tree_count - having : having);
    }
    listed_.resize(first_.back());
    for (std::size_t k = 0; k < lists_lacking_.size(); ++k) {
        const auto holder_first = holders.begin() + static_cast<std::ptrdiff_t>(holders_first[k]);
        const auto holder_last = holders.begin() + static_cast<std::ptrdiff_t>(holders_first[k + 1]);
        auto out = listed_.begin() + static_cast<std::ptrdiff_t>(first_[k]);
        if (!lists_lacking_[k]) {
            std::copy(holder_first, holder_last, out);
            continue;
        }
        auto holder = holder_first;
        for (std::int32_t t = 0; t < static_cast<std::int32_t>(tree_count); ++t) {
            if (holder != holder_last && *holder == t) {
                ++holder;
            } else {
                *out++ = t;
            }
        }
    }
}

void CommonClusters::row(std::size_t t, std::vector<std::int32_t>& common) const {
    // Clusters listed by the trees that lack them count for every tree first.
    std::int32_t shared_by_all = 0;
    for (const std::int32_t k : trees_[t].inner_clusters) {
        shared_by_all += lists_lacking_[static_cast<std::size_t>(k)] ? 1 : 0;
    }
    common.assign(trees_.size(), shared_by_all);
    for (const std::int32_t k : trees_[t].inner_clusters) {
        const auto cluster = static_cast<std::size_t>(k);
        const std::int32_t step = lists_lacking_[cluster] ? -1 : 1;
        for (std::size_t j = first_[cluster]; j != first_[cluster + 1]; ++j) {
            common[static_cast<std::size_t>(listed_[j])] += step;
        }
    }
}

} // namespace rf
