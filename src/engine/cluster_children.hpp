// The rebuilt tree from the top down: each cluster's children, the clusters
// just below it, read off the parent of every cluster.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "cluster_tree.hpp"

namespace rf {

class ClusterChildren {
public:
    explicit ClusterChildren(const ClusterTree& tree) { assign(tree); }
    ClusterChildren() = default;

    // Now of this tree, in the storage of the one before.
    void assign(const ClusterTree& tree);

    // The clusters just below cluster c, in the order they were made; c = 0
    // gives the topmost cluster alone.
    [[nodiscard]] std::span<const std::int32_t> of(std::int32_t c) const noexcept {
        const auto at = static_cast<std::size_t>(c);
        return {clusters_.data() + first_[at], clusters_.data() + first_[at + 1]};
    }
    [[nodiscard]] std::int32_t top() const noexcept { return clusters_[0]; }

private:
    std::vector<std::size_t> first_; // cluster c's children are clusters_[first_[c]..first_[c + 1])
    std::vector<std::int32_t> clusters_;
    std::vector<std::size_t> next_; // where each cluster's next child goes, while assigning
};

} // namespace rf
