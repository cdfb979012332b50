#include "distance_rows.hpp"

#include <algorithm>
#include <limits>

namespace rf {

DistanceRows::DistanceRows(const NumberedTrees& numbered, Metric metric, bool normalised)
    : trees_(numbered.trees), normalised_(normalised && metric == Metric::rf) {
    if (metric == Metric::rf) {
        common_clusters_.emplace(numbered);
    } else {
        weighted_.emplace(numbered, metric);
    }
}

void DistanceRows::row(std::size_t t, Scratch& scratch, std::span<double> distances) const {
    const std::size_t m = trees_.size();
    if (!trees_[t].rebuilt) {
        std::fill(distances.begin(), distances.end(), std::numeric_limits<double>::quiet_NaN());
        return;
    }
    if (weighted_) {
        weighted_->row(t, scratch.sums, distances);
    } else {
        robinson_foulds_row(t, scratch, distances);
    }
    for (std::size_t j = 0; j < m; ++j) {
        if (!trees_[j].rebuilt) {
            distances[j] = std::numeric_limits<double>::quiet_NaN();
        }
    }
}

// From the inner clusters alone: the single leaves and the cluster of all
// leaves but leaf 1 are in every tree.
void DistanceRows::robinson_foulds_row(std::size_t t, Scratch& scratch, std::span<double> distances) const {
    common_clusters_->row(t, scratch.common);
    const auto inner_a = static_cast<std::int64_t>(trees_[t].inner_clusters.size());
    for (std::size_t j = 0; j < trees_.size(); ++j) {
        const auto inner_b = static_cast<std::int64_t>(trees_[j].inner_clusters.size());
        const std::int64_t distance = inner_a + inner_b - 2 * static_cast<std::int64_t>(scratch.common[j]);
        if (!normalised_) {
            distances[j] = static_cast<double>(distance);
            continue;
        }
        // Its largest possible value is every inner cluster of both trees; two stars are 0 apart.
        const std::int64_t largest = inner_a + inner_b;
        distances[j] = largest == 0 ? 0.0 : static_cast<double>(distance) / static_cast<double>(largest);
    }
}

} // namespace rf
