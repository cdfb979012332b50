// Distances that weigh every split of two trees by its edge lengths a and b
// (0 in a tree that lacks the split): weighted Robinson-Foulds, the sum of
// |a - b|, and the branch score of Kuhner and Felsenstein, the square root
// of the sum of (a - b)^2, over every edge of either tree, the leaves' own
// edges included.
//
// The leaves' edges, which every tree has, and the clusters that most trees
// have are compared as dense rows, one column each. A rarer cluster keeps
// the trees that have it with their lengths; a row adds, for each tree that
// shares one of its rare clusters, the shared terms, and subtracts the
// shared clusters from each tree's total over its rare clusters. Every sum
// runs in an order that depends on the pair alone, so the distance of t to
// j is bit for bit that of j to t, and trees with the same splits and
// lengths are exactly 0 apart. Lengths are summed and squared in a unit of
// a power of two at or above the longest, so that no sum overflows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "metric.hpp"
#include "tree_edges.hpp"

namespace rf {

class WeightedDistances {
public:
    // Of the rebuilt trees among `numbered`, for Metric::wrf or Metric::kf.
    // The trees are read again by row(): they must outlive this.
    WeightedDistances(const NumberedTrees& numbered, Metric metric);

    // Sums for the shared rare clusters of one row: each caller its own.
    struct Scratch {
        std::vector<double> shared;    // of the terms of both lengths
        std::vector<double> own;       // of the terms of the row tree's lengths alone
        std::vector<double> theirs;    // of the terms of the other tree's lengths alone
    };

    // distances[j] = the distance between trees t and j, for every tree j
    // (meaningless where either was not rebuilt); `distances` holds one
    // number per tree. t must have been rebuilt. With the widest vectors the
    // processor has; the same sums.
    void row(std::size_t t, Scratch& scratch, std::span<double> distances) const;

    // The same with the instructions every processor of the platform has:
    // how the tests reach both ways.
    void row_portably(std::size_t t, Scratch& scratch, std::span<double> distances) const;

private:
    void lay_out_dense_columns(const NumberedTrees& numbered, const std::vector<std::size_t>& holders);
    void list_rare_holders(const NumberedTrees& numbered, const std::vector<std::size_t>& holders);
    void row_with(std::size_t t, Scratch& scratch, std::span<double> distances, bool wide) const;
    template <bool SQUARED>
    void row_for(std::size_t t, Scratch& scratch, std::span<double> distances, bool wide) const;

    const std::vector<TreeEdges>& trees_;
    bool squared_;
    double unit_; // a power of two at or above every length, in which lengths are summed
    static constexpr std::int32_t RARE = -1;
    std::vector<std::int32_t> dense_column_; // per cluster number: its column, or RARE
    std::size_t columns_ = 0;                // per dense row, a multiple of 8
    std::vector<double> dense_;              // tree t's row at t * columns_; 0 where it lacks the cluster
    std::vector<std::size_t> first_holder_;  // rare cluster k's trees are at first_holder_[k]..first_holder_[k + 1]
    std::vector<std::int32_t> holder_tree_;
    std::vector<double> holder_length_;
    std::vector<double> rare_total_; // per tree: the sum of its rare clusters' terms, in cluster order
};

} // namespace rf
