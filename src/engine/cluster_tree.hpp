// A rebuilt tree, described by its clusters relative to leaf 1 (the leaves
// cut off from leaf 1 by an edge): for each cluster c = 1..count(), the
// cluster just above it (0 above the topmost one, the cluster of all leaves
// but leaf 1, whose edge ends at leaf 1), the length of its edge, and its
// leaf when c is a single leaf's cluster (0 otherwise). Index 0 is unused.
// Every inner cluster has at least two clusters just below it.
#pragma once

#include <cstdint>
#include <vector>

namespace rf {

struct ClusterTree {
    std::int32_t leaf_count = 0;
    std::vector<std::int32_t> parent;
    std::vector<double> edge_length;
    std::vector<std::int32_t> leaf;

    [[nodiscard]] std::int32_t count() const noexcept {
        return parent.empty() ? 0 : static_cast<std::int32_t>(parent.size()) - 1;
    }
};

} // namespace rf
