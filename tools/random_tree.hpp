// Random trees with known answers, for tests, benchmarks and fuzz seeds:
// the tree's exact path-length matrix and its clusters relative to leaf 1,
// computed from the tree itself and never from a matrix.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "distance_matrix.hpp"

namespace rf::tools {

enum class TreeShape {
    binary,         // every inner node of degree three
    multifurcating, // some inner nodes of higher degree
    caterpillar,    // one long path of inner nodes, a leaf hanging from each
};

struct Edge {
    std::int32_t to;
    double length;
};

// Nodes 0..n-1 are the leaves, labelled at random with 1..n; the rest are
// inner nodes.
struct RandomTree {
    std::int32_t leaf_count = 0;
    std::vector<std::vector<Edge>> adjacency;
    std::vector<std::int32_t> label; // leaf number of node v < n
};

RandomTree make_random_tree(std::int32_t leaf_count, TreeShape shape, std::mt19937_64& rng, double min_length,
                            double max_length);

// Entry (i, j) the path length between leaves i and j, summed along the
// path from i; row and column 0 and the diagonal are 0.
DistanceMatrix path_length_matrix(const RandomTree& tree);

// A cluster as bits, bit v for leaf v, 64 leaves to a word.
using Cluster = std::vector<std::uint64_t>;

// The leaf sets below every edge when leaf 1 is the root, sorted.
std::vector<Cluster> clusters_below_leaf_one(const RandomTree& tree);

// Every edge as its cluster below leaf 1 and its length, sorted by cluster.
struct ClusterEdge {
    Cluster cluster;
    double length;
    bool inner; // neither end is a leaf
    auto operator<=>(const ClusterEdge&) const = default;
};
std::vector<ClusterEdge> cluster_edges(const RandomTree& tree);

// The number of clusters in exactly one of two sorted sets.
std::int32_t symmetric_difference_size(const std::vector<Cluster>& a, const std::vector<Cluster>& b);

} // namespace rf::tools
