#include "cluster_children.hpp"

namespace rf {

ClusterChildren::ClusterChildren(const ClusterTree& tree, std::int32_t count)
    : first_(static_cast<std::size_t>(count) + 2, 0), clusters_(static_cast<std::size_t>(count)) {
    const auto clusters = static_cast<std::size_t>(count);
    for (std::size_t c = 1; c <= clusters; ++c) {
        ++first_[static_cast<std::size_t>(tree.parent[c]) + 1];
    }
    for (std::size_t c = 1; c < first_.size(); ++c) {
        first_[c] += first_[c - 1];
    }
    std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
    for (std::size_t c = 1; c <= clusters; ++c) {
        clusters_[next[static_cast<std::size_t>(tree.parent[c])]++] = static_cast<std::int32_t>(c);
    }
}

} // namespace rf
