// The all-pairs table of many trees as numbers, a row at a time: tree t's
// distance to every tree by any metric, Robinson-Foulds also divided by its
// largest possible value; NaN where either tree was not rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common_clusters.hpp"
#include "metric.hpp"
#include "tree_edges.hpp"
#include "weighted_distances.hpp"

namespace rf {

class DistanceRows {
public:
    // `normalised` applies to Metric::rf only. The trees are read again by
    // row(): they must outlive this.
    DistanceRows(const NumberedTrees& numbered, Metric metric, bool normalised);

    // Each caller's own working storage.
    struct Scratch {
        std::vector<std::int32_t> common;
        WeightedDistances::Scratch sums;
    };

    // distances[j] = the distance between trees t and j, for every tree j;
    // `distances` holds size() numbers.
    void row(std::size_t t, Scratch& scratch, std::span<double> distances) const;

    [[nodiscard]] std::size_t size() const noexcept { return trees_.size(); }

private:
    void robinson_foulds_row(std::size_t t, Scratch& scratch, std::span<double> distances) const;

    const std::vector<TreeEdges>& trees_;
    bool normalised_;
    std::optional<CommonClusters> common_clusters_;
    std::optional<WeightedDistances> weighted_;
};

} // namespace rf
