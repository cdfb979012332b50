// The engine on small matrices whose orders, trees and distances are known
// by hand: ties, stars, zero-length edges, short inner edges, the rejection
// limit.
#include <gtest/gtest.h>

#include "engine_test_support.hpp"
#include "leaf_order.hpp"
#include "rf_distance.hpp"
#include "tree_reconstruction.hpp"

namespace rf::testing {
namespace {

struct TreeCase {
    const char* name;
    DistanceMatrix matrix;
    std::vector<std::int32_t> order;    // positions 1..n
    std::vector<LeafSet> clusters;      // in list order; empty when rejected
    std::vector<std::int32_t> numbers = {}; // the list's cluster numbers, where known
};

// n = 4, one inner edge {2, 3}; and the same with leaves 3 and 4 exchanged.
DistanceMatrix pair_23() { return symmetric_matrix(4, {{1, 2, 3}, {1, 3, 3}, {1, 4, 2}, {2, 3, 2}, {2, 4, 3}, {3, 4, 3}}); }
DistanceMatrix pair_24() { return symmetric_matrix(4, {{1, 2, 3}, {1, 4, 3}, {1, 3, 2}, {2, 4, 2}, {2, 3, 3}, {3, 4, 3}}); }
DistanceMatrix star4() { return symmetric_matrix(4, {}, 2.0); }

// Tree of six leaves with two inner edges of 0.000006: 1-a 9, 6-a 1,
// a-b short, 2-b 10, b-c 6, 3-c 8, c-d cd, 4-d 3, 5-d 3.
DistanceMatrix six_leaves(double cd) {
    const double ab = 0.000006;
    return symmetric_matrix(6, {{1, 6, 10}, {1, 2, 9 + ab + 10}, {1, 3, 9 + ab + 6 + 8}, {1, 4, 9 + ab + 6 + cd + 3},
                                {1, 5, 9 + ab + 6 + cd + 3}, {6, 2, 1 + ab + 10}, {6, 3, 1 + ab + 6 + 8},
                                {6, 4, 1 + ab + 6 + cd + 3}, {6, 5, 1 + ab + 6 + cd + 3}, {2, 3, 10 + 6 + 8},
                                {2, 4, 10 + 6 + cd + 3}, {2, 5, 10 + 6 + cd + 3}, {3, 4, 8 + cd + 3},
                                {3, 5, 8 + cd + 3}, {4, 5, 6}});
}

DistanceMatrix three_leaves(double d13) { return symmetric_matrix(3, {{1, 2, 1}, {2, 3, 1}, {1, 3, d13}}); }

std::vector<TreeCase> tree_cases() {
    std::vector<TreeCase> cases;
    cases.push_back({"two leaves", symmetric_matrix(2, {{1, 2, 5}}), {1, 2}, {{2}}});
    cases.push_back({"inner edge 23", pair_23(), {1, 2, 3, 4}, {{2}, {3}, {2, 3}, {4}, {2, 3, 4}}, {1, 2, 3, 4, 5}});
    cases.push_back({"inner edge 24", pair_24(), {1, 3, 2, 4}, {{2}, {3}, {4}, {2, 4}, {2, 3, 4}}, {2, 1, 4, 5, 3}});
    cases.push_back({"star, tie to the higher leaf", star4(), {1, 2, 3, 4}, {{2}, {3}, {4}, {2, 3, 4}}, {1, 2, 4, 3}});
    cases.push_back({"leaf 3 at the branch point",
                     symmetric_matrix(4, {{1, 2, 2}, {1, 3, 1}, {1, 4, 2}, {2, 3, 1}, {2, 4, 2}, {3, 4, 1}}),
                     {1, 2, 3, 4}, {{2}, {3}, {4}, {2, 3, 4}}});
    cases.push_back({"all zeros", symmetric_matrix(5, {}), {1, 2, 3, 4, 5}, {{2}, {3}, {4}, {5}, {2, 3, 4, 5}}});
    cases.push_back({"leaf at distance 0 from leaf 1",
                     symmetric_matrix(3, {{1, 2, 0}, {1, 3, 2}, {2, 3, 2}}), {1, 2, 3}, {{2}, {3}, {2, 3}}});
    cases.push_back({"short edges merge", six_leaves(0.000006), {1, 2, 3, 4, 5, 6},
                     {{2}, {3}, {4}, {5}, {3, 4, 5}, {2, 3, 4, 5}, {6}, {2, 3, 4, 5, 6}}});
    cases.push_back({"short edge merged alone", six_leaves(0.0), {1, 2, 3, 4, 5, 6},
                     {{2}, {3}, {4}, {5}, {3, 4, 5}, {6}, {2, 3, 4, 5, 6}}});
    cases.push_back({"rejected below the limit", three_leaves(2.5), {1, 2, 3}, {}});
    cases.push_back({"snapped within the limit", three_leaves(2.015), {1, 2, 3}, {{2}, {3}, {2, 3}}});
    cases.push_back({"branch at the last leaf", three_leaves(2.0), {1, 2, 3}, {{2}, {3}, {2, 3}}});
    cases.push_back({"rejected at the limit exactly", three_leaves(2.02), {1, 2, 3}, {}});
    cases.push_back({"overflowing offset", symmetric_matrix(3, {{1, 2, 1e308}, {2, 3, 1e308}, {1, 3, -1e308}}),
                     {1, 2, 3}, {}});
    return cases;
}

TEST(EngineExamples, OrdersClustersAndRejections) {
    for (const TreeCase& c : tree_cases()) {
        SCOPED_TRACE(c.name);
        const std::int32_t n = c.matrix.leaf_count();
        LeafOrder order;
        build_leaf_order(c.matrix, order, 1, n);
        EXPECT_EQ(std::vector<std::int32_t>(order.begin() + 1, order.end()), c.order);

        const Described tree(c.matrix);
        if (c.clusters.empty()) {
            EXPECT_EQ(tree.count, 0);
        } else {
            EXPECT_EQ(listed_clusters(tree.table, tree.list, tree.count), c.clusters);
            for (std::size_t p = 0; p < c.numbers.size(); ++p) {
                EXPECT_EQ(tree.list[static_cast<std::int32_t>(p) + 1], c.numbers[p]);
            }
        }
    }
}

TEST(EngineExamples, SameTableServesMatrixAfterMatrix) {
    ClusterTable table(4);
    ClusterList list(4);
    ASSERT_EQ(describe_clusters(*rebuild_tree(pair_23()), table, list), 5);
    ASSERT_EQ(describe_clusters(*rebuild_tree(star4()), table, list), 4);
    EXPECT_EQ(listed_clusters(table, list, 4), (std::vector<LeafSet>{{2}, {3}, {4}, {2, 3, 4}}));
    EXPECT_EQ(list[5], 0);
    EXPECT_EQ(leaves_of(table, 5), LeafSet{});
}

TEST(EngineExamples, RobinsonFouldsDistances) {
    struct DistanceCase {
        const char* name;
        DistanceMatrix a;
        DistanceMatrix b;
        std::int32_t expected;
    };
    DistanceCase cases[] = {
        {"different inner edges", pair_23(), pair_24(), 2},
        {"against the star", pair_23(), star4(), 1},
        {"star against tree, list A runs out first", star4(), pair_23(), 1},
        {"with itself", pair_24(), pair_24(), 0},
        {"three leaves", three_leaves(2.0), three_leaves(1.5), 0},
        {"merged short edge", six_leaves(0.000006), six_leaves(0.0), 1},
    };
    for (const DistanceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Described a(c.a);
        const Described b(c.b);
        EXPECT_EQ(rf_distance(a.table, b.table, a.list, b.list, a.count, b.count), c.expected);
    }
}

} // namespace
} // namespace rf::testing
