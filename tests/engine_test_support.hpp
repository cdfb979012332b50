// Small helpers shared by the engine tests: matrices from entry lists and
// cluster lists read back as leaf sets.
#pragma once

#include <initializer_list>
#include <optional>
#include <set>
#include <vector>

#include "cluster_table.hpp"
#include "distance_matrix.hpp"
#include "random_tree.hpp"
#include "tree_reconstruction.hpp"

namespace rf::testing {

using LeafSet = std::set<std::int32_t>;

struct Entry {
    std::int32_t i;
    std::int32_t j;
    double distance;
};

// A symmetric matrix from its entries above the diagonal; the rest are 0.
inline DistanceMatrix symmetric_matrix(std::int32_t n, std::initializer_list<Entry> entries, double fill = 0.0) {
    DistanceMatrix d(n);
    for (std::int32_t i = 0; i <= n; ++i) {
        for (std::int32_t j = 0; j <= n; ++j) {
            d.at(i, j) = i == j || i == 0 || j == 0 ? 0.0 : fill;
        }
    }
    for (const Entry& e : entries) {
        d.at(e.i, e.j) = e.distance;
        d.at(e.j, e.i) = e.distance;
    }
    return d;
}

inline LeafSet leaves_of(const ClusterTable& table, std::int32_t cluster) {
    LeafSet leaves;
    for (std::int32_t v = 1; v <= table.leaf_count(); ++v) {
        if (table.has_leaf(cluster, v)) {
            leaves.insert(v);
        }
    }
    return leaves;
}

// A matrix's tree described as rf_compare compares it; count 0 when the
// matrix is not additive.
struct Described {
    explicit Described(const DistanceMatrix& matrix) : table(matrix.leaf_count()), list(matrix.leaf_count()) {
        if (const std::optional<ClusterTree> tree = rebuild_tree(matrix)) {
            count = describe_clusters(*tree, table, list);
        }
    }
    ClusterTable table;
    ClusterList list;
    std::int32_t count = 0;
};

// The clusters of list positions 1..count, in list order.
inline std::vector<LeafSet> listed_clusters(const ClusterTable& table, const ClusterList& list, std::int32_t count) {
    std::vector<LeafSet> clusters;
    for (std::int32_t p = 1; p <= count; ++p) {
        clusters.push_back(leaves_of(table, list[p]));
    }
    return clusters;
}

} // namespace rf::testing
