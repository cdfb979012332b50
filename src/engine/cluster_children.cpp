#include "cluster_children.hpp"

namespace rf {

void ClusterChildren::assign(const ClusterTree& tree) {
    const auto clusters = static_cast<std::size_t>(tree.count());
    first_.assign(clusters + 2, 0);
    clusters_.resize(clusters);
    for (std::size_t c = 1; c <= clusters; ++c) {
        ++first_[static_cast<std::size_t>(tree.parent[c]) + 1];
    }
    for (std::size_t c = 1; c < first_.size(); ++c) {
        first_[c] += first_[c - 1];
    }
    next_.assign(first_.begin(), first_.end() - 1);
    for (std::size_t c = 1; c <= clusters; ++c) {
        clusters_[next_[static_cast<std::size_t>(tree.parent[c])]++] = static_cast<std::int32_t>(c);
    }
}

} // namespace rf
