#include "cluster_tree_builder.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

namespace rf {

namespace {

// The edges of every node, packed: node v's are [first[v], first[v + 1]).
struct Adjacency {
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> other;
    std::vector<double> length;
    std::vector<std::int32_t> degree; // of the edges still there

    Adjacency(std::size_t nodes, std::span<const LooseEdge> edges)
        : first(nodes + 1, 0), other(2 * edges.size()), length(2 * edges.size()), degree(nodes, 0) {
        for (const LooseEdge& edge : edges) {
            ++first[static_cast<std::size_t>(edge.a) + 1];
            ++first[static_cast<std::size_t>(edge.b) + 1];
        }
        std::partial_sum(first.begin(), first.end(), first.begin());
        std::vector<std::int32_t> next(first.begin(), first.end() - 1);
        for (const LooseEdge& edge : edges) {
            const auto add = [&](std::int32_t from, std::int32_t to) {
                const auto slot = static_cast<std::size_t>(next[static_cast<std::size_t>(from)]++);
                other[slot] = to;
                length[slot] = edge.length;
                ++degree[static_cast<std::size_t>(from)];
            };
            add(edge.a, edge.b);
            add(edge.b, edge.a);
        }
    }
};

// Inner nodes with one edge, and those that this leaves with one, removed.
std::vector<char> prune_bare_ends(Adjacency& adjacency, std::span<const std::int32_t> leaf_of) {
    const std::size_t nodes = leaf_of.size();
    std::vector<char> removed(nodes, 0);
    std::vector<std::int32_t> bare;
    for (std::size_t v = 0; v < nodes; ++v) {
        if (leaf_of[v] == 0 && adjacency.degree[v] <= 1) {
            bare.push_back(static_cast<std::int32_t>(v));
        }
    }
    while (!bare.empty()) {
        const auto v = static_cast<std::size_t>(bare.back());
        bare.pop_back();
        removed[v] = 1;
        for (auto e = adjacency.first[v]; e < adjacency.first[v + 1]; ++e) {
            const auto w = static_cast<std::size_t>(adjacency.other[static_cast<std::size_t>(e)]);
            if (!removed[w] && --adjacency.degree[w] <= 1 && leaf_of[w] == 0) {
                bare.push_back(static_cast<std::int32_t>(w));
            }
        }
    }
    return removed;
}

} // namespace

ClusterTree cluster_tree_from_edges(std::int32_t leaf_count, std::span<const std::int32_t> leaf_of,
                                    std::span<const LooseEdge> edges) {
    Adjacency adjacency(leaf_of.size(), edges);
    const std::vector<char> removed = prune_bare_ends(adjacency, leaf_of);
    ClusterTree tree;
    tree.leaf_count = leaf_count;
    tree.parent.push_back(0);
    tree.edge_length.push_back(0.0);
    tree.leaf.push_back(0);
    // Depth first from leaf 1, which is the root of the clusters.
    struct Step {
        std::int32_t node;
        std::int32_t from;           // the node it was reached from
        std::int32_t parent_cluster; // 0: the root, leaf 1
        double length;               // of the edge above, passed-through nodes included
    };
    const auto root = static_cast<std::int32_t>(std::find(leaf_of.begin(), leaf_of.end(), 1) - leaf_of.begin());
    std::vector<Step> stack;
    const auto push_onward = [&](std::int32_t node, std::int32_t from, std::int32_t cluster, double above) {
        const auto v = static_cast<std::size_t>(node);
        // Pushed last first, so that children come in the order of the edges.
        for (auto e = adjacency.first[v + 1]; e-- > adjacency.first[v];) {
            const auto slot = static_cast<std::size_t>(e);
            const std::int32_t next = adjacency.other[slot];
            if (next != from && !removed[static_cast<std::size_t>(next)]) {
                stack.push_back({next, node, cluster, above + adjacency.length[slot]});
            }
        }
    };
    push_onward(root, -1, 0, 0.0);
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const auto v = static_cast<std::size_t>(step.node);
        if (leaf_of[v] == 0 && adjacency.degree[v] == 2) { // passed through: its two edges are one
            push_onward(step.node, step.from, step.parent_cluster, step.length);
            continue;
        }
        const auto cluster = static_cast<std::int32_t>(tree.parent.size());
        tree.parent.push_back(step.parent_cluster);
        tree.edge_length.push_back(step.length);
        tree.leaf.push_back(leaf_of[v]);
        if (leaf_of[v] == 0) {
            push_onward(step.node, step.from, cluster, 0.0);
        }
    }
    return tree;
}

ClusterTree renumbered_leaves(const ClusterTree& tree, std::span<const std::int32_t> new_number) {
    // Node 0 is leaf 1, node c cluster c.
    const auto nodes = static_cast<std::size_t>(tree.count()) + 1;
    std::vector<std::int32_t> leaf_of(nodes, 0);
    std::vector<LooseEdge> edges;
    edges.reserve(nodes - 1);
    leaf_of[0] = new_number[1];
    for (std::size_t c = 1; c < nodes; ++c) {
        leaf_of[c] = tree.leaf[c] == 0 ? 0 : new_number[static_cast<std::size_t>(tree.leaf[c])];
        edges.push_back({static_cast<std::int32_t>(c), tree.parent[c], tree.edge_length[c]});
    }
    return cluster_tree_from_edges(tree.leaf_count, leaf_of, edges);
}

} // namespace rf
