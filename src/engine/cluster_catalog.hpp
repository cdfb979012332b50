// Exact numbers for the inner clusters of many trees on the same leaves:
// equal clusters get the same number whatever tree they come from. A
// cluster is looked up by a 64-bit hash of its leaf set, and an equal hash
// is confirmed leaf by leaf against the first tree that had the cluster.
// Each tree is kept as its leaves in depth-first order, n words.
#pragma once

#include <cstdint>
#include <vector>

#include "engine_types.hpp"

namespace rf {

class ClusterCatalog {
public:
    explicit ClusterCatalog(std::int32_t leaf_count);

    // The edges of the tree of clusters 1..count: the numbers of its inner
    // clusters, every cluster but the single leaves and the cluster of all
    // leaves but leaf 1, which every tree has, and the lengths of all.
    [[nodiscard]] TreeEdges add_tree(const ClusterTree& tree, std::int32_t count);

    // How many different clusters have been numbered, 0..size()-1.
    [[nodiscard]] std::int32_t size() const noexcept { return static_cast<std::int32_t>(known_.size()); }

private:
    struct Known {
        std::int32_t tree;      // the first tree that had it
        std::int32_t first;     // where its leaves start in that tree's depth-first leaves
        std::int32_t size;      // how many leaves
        std::int32_t next = -1; // the next known cluster with the same hash
    };
    struct Span {
        std::int32_t first;
        std::int32_t size;
    };

    // One slot of an open-addressing table from hash to the first known
    // cluster with that hash: one probe where a node-based map takes three
    // cache misses.
    struct Slot {
        std::uint64_t hash = 0;
        std::int32_t known = -1; // -1: empty
    };

    std::int32_t lay_out(const ClusterTree& tree, std::int32_t count, std::vector<std::int32_t>& leaves);
    [[nodiscard]] std::int32_t number_of(std::uint64_t hash, Span span);
    [[nodiscard]] bool same_leaves(const Known& known, Span span);
    [[nodiscard]] Slot& slot_of(std::uint64_t hash) noexcept;
    void grow_slots();

    std::vector<std::uint64_t> leaf_keys_;           // random, fixed: a cluster's hash is its keys' sum
    std::vector<std::vector<std::int32_t>> leaves_;  // every tree's leaves in depth-first order
    std::vector<Known> known_;
    std::vector<Slot> slots_;                        // a power of two, at most half full
    std::size_t used_slots_ = 0;
    // Scratch of one tree: each cluster's span of leaves; marks for comparing leaf sets.
    std::vector<Span> spans_;
    std::vector<std::uint32_t> marks_;
    std::uint32_t mark_ = 0;
};

} // namespace rf
