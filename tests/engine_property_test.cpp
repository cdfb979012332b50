// The engine against trees it has never seen: random trees, their exact
// path-length matrices and their clusters known from the trees themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine_test_support.hpp"
#include "rf_distance.hpp"

namespace rf::testing {
namespace {

std::vector<tools::Cluster> clusters_of(const Described& tree) {
    std::vector<tools::Cluster> clusters;
    for (std::int32_t p = 1; p <= tree.count; ++p) {
        const ClusterTable::Word* row = tree.table.row(tree.list[p]);
        clusters.emplace_back(row, row + tree.table.words_per_row());
    }
    std::sort(clusters.begin(), clusters.end());
    return clusters;
}

bool in_cluster_order(const Described& tree) {
    for (std::int32_t p = 1; p < tree.count; ++p) {
        if (compare_cluster_rows(tree.table.row(tree.list[p]), tree.table.row(tree.list[p + 1]),
                                 tree.table.words_per_row()) >= 0) {
            return false;
        }
    }
    return true;
}

TEST(EngineProperties, RebuildsEveryRandomTreeAndItsDistances) {
    std::mt19937_64 rng(20261206);
    const tools::TreeShape shapes[] = {tools::TreeShape::binary, tools::TreeShape::multifurcating,
                                       tools::TreeShape::caterpillar};
    for (int trial = 0; trial < 300; ++trial) {
        const auto n = std::uniform_int_distribution<std::int32_t>(2, trial < 250 ? 20 : 150)(rng);
        const tools::TreeShape shape_a = shapes[trial % 3];
        const tools::TreeShape shape_b = shapes[(trial / 3) % 3];
        const tools::RandomTree tree_a = tools::make_random_tree(n, shape_a, rng, 0.05, 1.0);
        const tools::RandomTree tree_b = tools::make_random_tree(n, shape_b, rng, 0.05, 1.0);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", n = " + std::to_string(n));

        const Described a(tools::path_length_matrix(tree_a));
        const Described b(tools::path_length_matrix(tree_b));
        const std::vector<tools::Cluster> truth_a = tools::clusters_below_leaf_one(tree_a);
        const std::vector<tools::Cluster> truth_b = tools::clusters_below_leaf_one(tree_b);
        ASSERT_EQ(clusters_of(a), truth_a);
        ASSERT_EQ(clusters_of(b), truth_b);
        ASSERT_TRUE(in_cluster_order(a));
        EXPECT_EQ(rf_distance(a.table, b.table, a.list, b.list, a.count, b.count),
                  tools::symmetric_difference_size(truth_a, truth_b));
        EXPECT_EQ(rf_distance(a.table, a.table, a.list, a.list, a.count, a.count), 0);
    }
}

} // namespace
} // namespace rf::testing
