// Exact numbers for the inner clusters of many trees on the same leaves:
// equal clusters get the same number whatever tree they come from. A
// cluster is looked up by a 64-bit hash of its leaf set (the sum of a
// random key per leaf), and a match of its 32-bit fingerprint is confirmed
// leaf by leaf against the first tree that had the cluster; different
// clusters with one fingerprint are chained. Each tree is kept as its
// leaves in depth-first order, n - 1 words; each different cluster takes
// 16 bytes and at most 11 more in the lookup table.
//
// Thread-safety: one thread at a time.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "cluster_children.hpp"
#include "cluster_tree.hpp"
#include "tree_edges.hpp"

namespace rf {

// A leaf's key; equal sums of keys are what the catalog looks up.
using LeafKey = std::uint64_t (*)(std::int32_t leaf);

// A fixed, well-mixed 64-bit key for each leaf.
[[nodiscard]] std::uint64_t mixed_leaf_key(std::int32_t leaf) noexcept;

class ClusterCatalog {
public:
    // `keep_lengths`: the trees' edge lengths go into their TreeEdges too,
    // for the metrics that weigh splits by them. `key`: the tests' way to
    // make different clusters share fingerprints.
    ClusterCatalog(std::int32_t leaf_count, bool keep_lengths, LeafKey key = mixed_leaf_key);

    // The edges of the tree: the numbers of its inner clusters, every
    // cluster but the single leaves and the cluster of all leaves but leaf
    // 1, which every tree has; their lengths and the leaves' when kept.
    [[nodiscard]] TreeEdges add_tree(const ClusterTree& tree);

    // How many different clusters have been numbered, 0..size()-1.
    [[nodiscard]] std::int32_t size() const noexcept { return static_cast<std::int32_t>(known_.size()); }

private:
    struct Known {
        std::int32_t tree;      // the first tree that had it
        std::int32_t first;     // where its leaves start in that tree's depth-first leaves
        std::int32_t size;      // how many leaves
        std::int32_t next = -1; // the next known cluster with the same fingerprint
    };
    struct Span {
        std::int32_t first;
        std::int32_t size;
    };
    struct Inner {
        std::uint64_t hash;
        std::int32_t cluster;
    };

    // One slot of an open-addressing table from a hash's upper 32 bits to
    // the first known cluster with them, which also place it: one probe
    // where a node-based map takes three cache misses.
    struct Slot {
        std::uint32_t fingerprint = 0;
        std::int32_t known = -1; // -1: empty
    };

    std::int32_t lay_out(const ClusterTree& tree);
    [[nodiscard]] std::int32_t number_of(std::uint64_t hash, Span span);
    [[nodiscard]] bool same_leaves(const Known& known, Span span);
    [[nodiscard]] Slot& slot_of(std::uint32_t fingerprint) noexcept;
    void grow_slots();

    std::size_t leaves_per_tree_;                    // n - 1: all but leaf 1
    bool keep_lengths_;
    std::vector<std::uint64_t> leaf_keys_;           // random, fixed: a cluster's hash is its keys' sum
    std::vector<std::int32_t> leaves_;               // every tree's leaves in depth-first order, one after the other
    std::int32_t trees_ = 0;
    std::deque<Known> known_;                        // grows without copying what it holds
    std::vector<Slot> slots_;                        // a power of two, at most three quarters full
    std::size_t used_slots_ = 0;
    // Scratch of one tree, kept for the next: each cluster's children and
    // span of leaves, the walk, the sums of keys, marks for comparing leaf sets.
    ClusterChildren children_;
    std::vector<Span> spans_;
    std::vector<std::int32_t> stack_;
    std::vector<std::uint64_t> key_sums_;
    std::vector<Inner> inner_;
    std::vector<std::pair<std::int32_t, double>> numbered_;
    std::vector<std::uint32_t> marks_;
    std::uint32_t mark_ = 0;
};

} // namespace rf
