// Shared types of the tree comparison engine: the distance matrix, the leaf
// order, the cluster table and the cluster list, each owning its storage and
// carrying its own leaf count. Leaves are numbered 1..n, clusters 1..2n-3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace rf {

struct FreeDeleter {
    void operator()(void* block) const noexcept { std::free(block); }
};
// Large arrays come from malloc/calloc: a refused request then reads as
// std::bad_alloc in every build, sanitizers included, and calloc's fresh pages
// are zero without being touched.
template <typename T>
using HeapArray = std::unique_ptr<T[], FreeDeleter>;

// Branch points and edge lengths at or below this are taken as zero.
inline constexpr double ZERO_TOLERANCE = 1e-05;
// An offset or pendant length at or below this rejects the matrix.
inline constexpr double ADDITIVITY_LIMIT = -0.01;

// Rows and columns 0..n of doubles; entry (i, j) is row i, column j as read.
// Construction allocates without touching the cells, so pages are first
// touched by whoever fills them. Throws std::bad_alloc when it cannot.
class DistanceMatrix {
public:
    explicit DistanceMatrix(std::int32_t leaf_count);

    [[nodiscard]] std::int32_t leaf_count() const noexcept { return leaf_count_; }
    [[nodiscard]] double* row(std::int32_t i) noexcept { return cells_.get() + offset(i); }
    [[nodiscard]] const double* row(std::int32_t i) const noexcept { return cells_.get() + offset(i); }
    [[nodiscard]] double& at(std::int32_t i, std::int32_t j) noexcept { return row(i)[j]; }
    [[nodiscard]] double at(std::int32_t i, std::int32_t j) const noexcept { return row(i)[j]; }

private:
    [[nodiscard]] std::size_t offset(std::int32_t i) const noexcept {
        return static_cast<std::size_t>(i) * stride_;
    }

    std::int32_t leaf_count_;
    std::size_t stride_;
    HeapArray<double> cells_;
};

// Positions 1..n holding a permutation of the leaves (position 0 unused).
using LeafOrder = std::vector<std::int32_t>;

// One row of bits per cluster 1..2n-3 (row 0 unused), bit v for leaf v.
// Rows compare as unsigned binary numbers with leaf n most significant: that
// numeric order is the cluster order the list is kept in.
class ClusterTable {
public:
    using Word = std::uint64_t;
    static constexpr std::int32_t WORD_BITS = 64;

    explicit ClusterTable(std::int32_t leaf_count);

    [[nodiscard]] std::int32_t leaf_count() const noexcept { return leaf_count_; }
    [[nodiscard]] std::size_t words_per_row() const noexcept { return words_per_row_; }

    [[nodiscard]] const Word* row(std::int32_t cluster) const noexcept {
        return bits_.get() + static_cast<std::size_t>(cluster) * words_per_row_;
    }
    [[nodiscard]] bool has_leaf(std::int32_t cluster, std::int32_t leaf) const noexcept {
        return ((row(cluster)[word_of(leaf)] >> bit_of(leaf)) & 1U) != 0;
    }
    void add_leaf(std::int32_t cluster, std::int32_t leaf) noexcept {
        mutable_row(cluster)[word_of(leaf)] |= Word{1} << bit_of(leaf);
    }
    void copy_row(std::int32_t to, std::int32_t from) noexcept;
    void clear() noexcept;

private:
    [[nodiscard]] Word* mutable_row(std::int32_t cluster) noexcept {
        return bits_.get() + static_cast<std::size_t>(cluster) * words_per_row_;
    }
    static std::size_t word_of(std::int32_t leaf) noexcept {
        return static_cast<std::size_t>(leaf) / WORD_BITS;
    }
    static unsigned bit_of(std::int32_t leaf) noexcept { return static_cast<unsigned>(leaf) % WORD_BITS; }

    std::int32_t leaf_count_;
    std::size_t words_per_row_;
    HeapArray<Word> bits_;
};

// -1, 0 or 1 as row a comes before, equals or comes after row b in cluster
// order (the row with 0 at the highest differing leaf first).
[[nodiscard]] int compare_cluster_rows(const ClusterTable::Word* a, const ClusterTable::Word* b,
                                       std::size_t words) noexcept;

// The rebuilt tree itself, beside its cluster table and list: for each
// cluster c = 1..count, the cluster just above it (0 above the topmost one,
// the cluster of all leaves but leaf 1, whose edge ends at leaf 1), the
// length its edge was given, and its leaf when c is a single leaf's cluster
// (0 otherwise). Index 0 unused.
struct ClusterTree {
    std::vector<std::int32_t> parent;
    std::vector<double> edge_length;
    std::vector<std::int32_t> leaf;
};

// One rebuilt tree as the comparison of many trees sees it: the catalog
// numbers of its inner clusters (those of inner edges), in increasing
// order; and, when lengths are kept, each one's edge length beside it and
// the length of every leaf's own edge, indexed by leaf 1..n (index 0
// unused), leaf 1's being the edge from leaf 1 to the rest of the tree.
// Every edge of the unrooted tree is one of them. All empty for a matrix
// that was not rebuilt.
struct TreeEdges {
    std::vector<std::int32_t> inner_clusters;
    std::vector<double> inner_lengths;
    std::vector<double> leaf_lengths;
    bool rebuilt = false;
};

// The trees of many matrices, in the order of the matrices, numbered by
// one catalog: equal clusters have equal numbers, 0..cluster_numbers-1.
struct NumberedTrees {
    std::vector<TreeEdges> trees;
    std::int32_t cluster_numbers = 0;
};

// How two trees are compared. rf: the Robinson-Foulds distance, the
// number of splits (edges) found in one tree and not in the other. wrf:
// weighted Robinson-Foulds, the sum over every split of either tree of
// |a - b|. kf: Kuhner and Felsenstein's branch score, the square root of
// the sum of (a - b)^2. a and b are the split's edge lengths in the two
// trees, 0 in a tree that lacks it.
enum class Metric { rf, wrf, kf };

// The metric of that name ("rf", "wrf", "kf"); nothing for another name.
[[nodiscard]] inline std::optional<Metric> metric_named(std::string_view name) noexcept {
    if (name == "rf") {
        return Metric::rf;
    }
    if (name == "wrf") {
        return Metric::wrf;
    }
    if (name == "kf") {
        return Metric::kf;
    }
    return std::nullopt;
}

// Cluster numbers at positions 1..2n-3 (position 0 unused).
class ClusterList {
public:
    explicit ClusterList(std::int32_t leaf_count)
        : entries_(static_cast<std::size_t>(2 * static_cast<std::int64_t>(leaf_count) - 2), 0) {}

    [[nodiscard]] std::int32_t capacity() const noexcept {
        return static_cast<std::int32_t>(entries_.size()) - 1;
    }
    [[nodiscard]] std::int32_t& operator[](std::int32_t position) noexcept {
        return entries_[static_cast<std::size_t>(position)];
    }
    [[nodiscard]] std::int32_t operator[](std::int32_t position) const noexcept {
        return entries_[static_cast<std::size_t>(position)];
    }
    [[nodiscard]] std::int32_t* data() noexcept { return entries_.data(); }

private:
    std::vector<std::int32_t> entries_;
};

} // namespace rf
