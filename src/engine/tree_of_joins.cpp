// SPDX-License-Identifier: MIT
#include "tree_of_joins.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

namespace rf {

namespace {

// The node that stands for v once the short inner edges are merged.
std::int32_t representative(std::vector<std::int32_t>& merged_into, std::int32_t v) {
    while (merged_into[static_cast<std::size_t>(v)] != v) {
        std::int32_t& up = merged_into[static_cast<std::size_t>(v)];
        up = merged_into[static_cast<std::size_t>(up)]; // halves the path
        v = up;
    }
    return v;
}

} // namespace

ClusterTree tree_of_joins(const JoinedTree& joined, double zero) {
    const std::int32_t n = joined.leaf_count;
    std::int32_t nodes = n;
    for (const LooseEdge& edge : joined.edges) {
        nodes = std::max({nodes, edge.a + 1, edge.b + 1});
    }
    std::vector<std::int32_t> merged_into(static_cast<std::size_t>(nodes));
    std::iota(merged_into.begin(), merged_into.end(), 0);
    const auto is_leaf = [n](std::int32_t v) { return v < n; };
    for (const LooseEdge& edge : joined.edges) {
        if (!is_leaf(edge.a) && !is_leaf(edge.b) && edge.length <= zero) {
            merged_into[static_cast<std::size_t>(representative(merged_into, edge.a))] =
                representative(merged_into, edge.b);
        }
    }
    // The nodes that remain, numbered afresh: leaves first, as they were.
    std::vector<std::int32_t> number(static_cast<std::size_t>(nodes), -1);
    std::vector<std::int32_t> leaf_of(static_cast<std::size_t>(n));
    for (std::int32_t v = 0; v < n; ++v) {
        number[static_cast<std::size_t>(v)] = v;
        leaf_of[static_cast<std::size_t>(v)] = v + 1;
    }
    std::int32_t next = n;
    for (std::int32_t v = n; v < nodes; ++v) {
        if (representative(merged_into, v) == v) {
            number[static_cast<std::size_t>(v)] = next++;
            leaf_of.push_back(0);
        }
    }
    std::vector<LooseEdge> edges;
    edges.reserve(joined.edges.size());
    for (const LooseEdge& edge : joined.edges) {
        const std::int32_t a = representative(merged_into, edge.a);
        const std::int32_t b = representative(merged_into, edge.b);
        if (a != b) {
            edges.push_back({number[static_cast<std::size_t>(a)], number[static_cast<std::size_t>(b)],
                             std::max(edge.length, 0.0)});
        }
    }
    return cluster_tree_from_edges(n, leaf_of, edges);
}

} // namespace rf
