#include "random_tree.hpp"

#include <algorithm>
#include <iterator>
#include <numeric>

namespace rf::tools {

namespace {

class TreeGrower {
public:
    TreeGrower(std::int32_t leaf_count, std::mt19937_64& rng, double min_length, double max_length)
        : rng_(rng), lengths_(min_length, max_length) {
        tree_.leaf_count = leaf_count;
        tree_.adjacency.resize(static_cast<std::size_t>(leaf_count));
    }

    std::int32_t add_inner_node() {
        tree_.adjacency.emplace_back();
        return static_cast<std::int32_t>(tree_.adjacency.size()) - 1;
    }

    void connect(std::int32_t a, std::int32_t b) {
        const double length = lengths_(rng_);
        neighbours(a).push_back({b, length});
        neighbours(b).push_back({a, length});
    }

    void disconnect(std::int32_t a, std::int32_t b) {
        auto drop = [](std::vector<Edge>& edges, std::int32_t gone) {
            edges.erase(std::find_if(edges.begin(), edges.end(), [gone](const Edge& e) { return e.to == gone; }));
        };
        drop(neighbours(a), b);
        drop(neighbours(b), a);
    }

    // Hangs leaf from a new node in the middle of the edge a-b.
    void split_edge(std::int32_t a, std::int32_t b, std::int32_t leaf) {
        const std::int32_t middle = add_inner_node();
        disconnect(a, b);
        connect(a, middle);
        connect(middle, b);
        connect(middle, leaf);
    }

    std::vector<Edge>& neighbours(std::int32_t v) { return tree_.adjacency[static_cast<std::size_t>(v)]; }

    RandomTree finish() {
        const std::int32_t n = tree_.leaf_count;
        tree_.label.resize(static_cast<std::size_t>(n));
        std::iota(tree_.label.begin(), tree_.label.end(), 1);
        std::shuffle(tree_.label.begin(), tree_.label.end(), rng_);
        return std::move(tree_);
    }

    std::mt19937_64& rng() { return rng_; }

private:
    std::mt19937_64& rng_;
    std::uniform_real_distribution<double> lengths_;
    RandomTree tree_;
};

std::int32_t pick(std::mt19937_64& rng, std::int32_t below) {
    return std::uniform_int_distribution<std::int32_t>(0, below - 1)(rng);
}

void grow_random(TreeGrower& grower, std::int32_t n, bool multifurcating) {
    // Start from leaves 0 and 1 joined by one edge; every later leaf either
    // splits an edge or, for multifurcating trees, joins an inner node.
    grower.connect(0, 1);
    std::vector<std::pair<std::int32_t, std::int32_t>> edges{{0, 1}};
    std::vector<std::int32_t> inner;
    for (std::int32_t leaf = 2; leaf < n; ++leaf) {
        if (multifurcating && !inner.empty() && pick(grower.rng(), 3) == 0) {
            const std::int32_t node = inner[static_cast<std::size_t>(pick(grower.rng(), static_cast<std::int32_t>(inner.size())))];
            grower.connect(node, leaf);
            edges.emplace_back(node, leaf);
            continue;
        }
        const auto e = static_cast<std::size_t>(pick(grower.rng(), static_cast<std::int32_t>(edges.size())));
        const auto [a, b] = edges[e];
        grower.split_edge(a, b, leaf);
        const std::int32_t middle = static_cast<std::int32_t>(grower.neighbours(leaf).front().to);
        inner.push_back(middle);
        edges[e] = {a, middle};
        edges.emplace_back(middle, b);
        edges.emplace_back(middle, leaf);
    }
}

void grow_caterpillar(TreeGrower& grower, std::int32_t n) {
    grower.connect(0, 1);
    std::int32_t tail = 1; // the spine grows at its far end, between its last node and leaf 1's node
    std::int32_t before_tail = 0;
    for (std::int32_t leaf = 2; leaf < n; ++leaf) {
        grower.split_edge(before_tail, tail, leaf);
        before_tail = grower.neighbours(leaf).front().to;
    }
}

void collect_distances(const RandomTree& tree, std::int32_t from, std::vector<double>& row) {
    struct Step {
        std::int32_t node;
        std::int32_t parent;
        double distance;
    };
    std::vector<Step> stack{{from, -1, 0.0}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        if (step.node < tree.leaf_count) {
            row[static_cast<std::size_t>(tree.label[static_cast<std::size_t>(step.node)])] = step.distance;
        }
        for (const Edge& edge : tree.adjacency[static_cast<std::size_t>(step.node)]) {
            if (edge.to != step.parent) {
                stack.push_back({edge.to, step.node, step.distance + edge.length});
            }
        }
    }
}

} // namespace

RandomTree make_random_tree(std::int32_t leaf_count, TreeShape shape, std::mt19937_64& rng, double min_length,
                            double max_length) {
    TreeGrower grower(leaf_count, rng, min_length, max_length);
    if (shape == TreeShape::caterpillar) {
        grow_caterpillar(grower, leaf_count);
    } else {
        grow_random(grower, leaf_count, shape == TreeShape::multifurcating);
    }
    return grower.finish();
}

DistanceMatrix path_length_matrix(const RandomTree& tree) {
    const auto side = static_cast<std::size_t>(tree.leaf_count) + 1;
    DistanceMatrix matrix(tree.leaf_count);
    std::fill_n(matrix.row(0), side, 0.0);
    std::vector<double> row(side, 0.0);
    for (std::int32_t node = 0; node < tree.leaf_count; ++node) {
        collect_distances(tree, node, row);
        std::copy(row.begin(), row.end(), matrix.row(tree.label[static_cast<std::size_t>(node)]));
    }
    return matrix;
}

std::vector<ClusterEdge> cluster_edges(const RandomTree& tree) {
    const std::int32_t n = tree.leaf_count;
    const auto words = static_cast<std::size_t>(n) / 64 + 1;
    const auto root = static_cast<std::int32_t>(std::find(tree.label.begin(), tree.label.end(), 1) - tree.label.begin());
    // Breadth-first order from the root, then subtrees gathered bottom-up.
    std::vector<std::int32_t> order{root};
    std::vector<std::int32_t> parent(tree.adjacency.size(), -1);
    std::vector<double> length_above(tree.adjacency.size(), 0.0);
    for (std::size_t next = 0; next < order.size(); ++next) {
        const std::int32_t v = order[next];
        for (const Edge& edge : tree.adjacency[static_cast<std::size_t>(v)]) {
            if (edge.to != parent[static_cast<std::size_t>(v)]) {
                parent[static_cast<std::size_t>(edge.to)] = v;
                length_above[static_cast<std::size_t>(edge.to)] = edge.length;
                order.push_back(edge.to);
            }
        }
    }
    std::vector<Cluster> below(tree.adjacency.size(), Cluster(words, 0));
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const auto v = static_cast<std::size_t>(*it);
        if (*it < n && *it != root) {
            const auto leaf = static_cast<std::size_t>(tree.label[v]);
            below[v][leaf / 64] |= std::uint64_t{1} << (leaf % 64);
        }
        if (parent[v] >= 0) {
            Cluster& up = below[static_cast<std::size_t>(parent[v])];
            std::transform(up.begin(), up.end(), below[v].begin(), up.begin(), std::bit_or<>());
        }
    }
    std::vector<ClusterEdge> edges;
    for (const std::int32_t v : order) {
        if (v != root) {
            const auto at = static_cast<std::size_t>(v);
            edges.push_back({below[at], length_above[at], v >= n && parent[at] >= n});
        }
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

std::vector<Cluster> clusters_below_leaf_one(const RandomTree& tree) {
    std::vector<Cluster> clusters;
    for (ClusterEdge& edge : cluster_edges(tree)) {
        clusters.push_back(std::move(edge.cluster));
    }
    return clusters;
}

std::int32_t symmetric_difference_size(const std::vector<Cluster>& a, const std::vector<Cluster>& b) {
    std::vector<Cluster> difference;
    std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(difference));
    return static_cast<std::int32_t>(difference.size());
}

} // namespace rf::tools
