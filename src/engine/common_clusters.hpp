// How many inner clusters every pair of trees shares, a row at a time, in
// time proportional to the clusters' occurrences rather than to m² merges:
// each cluster keeps the list of trees that have it, or, when more than half
// of the trees have it, the shorter list of trees that lack it. A row then
// costs, per cluster of its tree, the length of that cluster's list, never
// more than m / 2; storage is one entry per cluster occurrence at most.
#pragma once

#include <cstdint>
#include <vector>

#include "metric.hpp"
#include "tree_edges.hpp"

namespace rf {

class CommonClusters {
public:
    // The trees are read again by row(): they must outlive this.
    explicit CommonClusters(const NumberedTrees& numbered);

    // common[j] = the number of inner clusters that trees t and j share, for
    // every tree j.
    void row(std::size_t t, std::vector<std::int32_t>& common) const;

private:
    const std::vector<TreeEdges>& trees_;
    std::vector<std::size_t> first_;      // cluster k's list is listed_[first_[k]..first_[k + 1])
    std::vector<std::int32_t> listed_;    // tree numbers
    std::vector<bool> lists_lacking_;     // cluster k's list holds the trees that lack it
};

} // namespace rf
