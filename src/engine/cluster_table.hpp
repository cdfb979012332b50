// A rebuilt tree's clusters as rf_compare compares them: one row of bits
// per cluster 1..count (row 0 unused), bit v for leaf v, and the list of
// cluster numbers in cluster order. Rows compare as unsigned binary numbers
// with leaf n most significant; that numeric order is the cluster order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cluster_tree.hpp"
#include "heap_array.hpp"

namespace rf {

// Rows for clusters 1..2n-3, sized once and refilled tree after tree.
class ClusterTable {
public:
    using Word = std::uint64_t;
    static constexpr std::int32_t WORD_BITS = 64;

    // Throws std::bad_alloc when the rows cannot be had.
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
    // Row `to` gains every leaf of row `from`.
    void merge_row(std::int32_t to, std::int32_t from) noexcept;
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

private:
    std::vector<std::int32_t> entries_;
};

// Fills table rows 1..count and list positions 1..count with the tree's
// clusters, list positions after them with 0, and returns count. The table
// and the list must be sized for the tree's n.
std::int32_t describe_clusters(const ClusterTree& tree, ClusterTable& table, ClusterList& list);

} // namespace rf
