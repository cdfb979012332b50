// The library's interface as bindings use it, under the sanitizers too:
// many matrices rebuilt on the team give what one at a time gives, the
// first fault in matrix order is the one reported, any memory layout is
// read, and a rebuilt tree's edges give back the path lengths it came from.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "random_tree.hpp"
#include "rf_compare/rf_compare.hpp"

namespace rf::testing {
namespace {

using rf_compare::MatrixView;

// n-by-n row-major cells of a random tree's path lengths.
std::vector<double> random_matrix(std::int32_t n, std::mt19937_64& rng) {
    const DistanceMatrix d = tools::path_length_matrix(tools::make_random_tree(n, tools::TreeShape::binary, rng, 0.05, 1.0));
    std::vector<double> cells;
    for (std::int32_t i = 1; i <= n; ++i) {
        cells.insert(cells.end(), d.row(i) + 1, d.row(i) + 1 + n);
    }
    return cells;
}

MatrixView row_major(const std::vector<double>& cells, std::int64_t n) {
    return {cells.data(), n, n, n * 8, 8};
}

std::vector<double> distances_of(const std::vector<std::vector<double>>& matrices, bool one_at_a_time,
                                 rf_compare::Metric metric) {
    rf_compare::TreeSet trees(rf_compare::WhenNotAdditive::mark);
    std::vector<MatrixView> views;
    for (const std::vector<double>& cells : matrices) {
        views.push_back(row_major(cells, static_cast<std::int64_t>(std::sqrt(cells.size()))));
        if (one_at_a_time) {
            trees.add(views.back());
        }
    }
    if (!one_at_a_time) {
        trees.add_all(views);
    }
    std::vector<double> table(trees.size() * trees.size());
    trees.distances(metric, false, false, table);
    return table;
}

TEST(LibraryInterface, ManyAtOnceGiveWhatOneAtATimeGives) {
    std::mt19937_64 rng(1207);
    std::vector<std::vector<double>> matrices;
    for (int k = 0; k < 70; ++k) {
        matrices.push_back(random_matrix(12, rng));
    }
    matrices[9][1] = 50.0; // not additive: NaN in row and column 10
    for (const auto metric : {rf_compare::Metric::rf, rf_compare::Metric::wrf, rf_compare::Metric::kf}) {
        const std::vector<double> together = distances_of(matrices, false, metric);
        const std::vector<double> alone = distances_of(matrices, true, metric);
        ASSERT_EQ(together.size(), 70U * 70U);
        for (std::size_t cell = 0; cell < together.size(); ++cell) {
            const bool missing = cell / 70 == 9 || cell % 70 == 9;
            EXPECT_EQ(std::isnan(together[cell]), missing);
            EXPECT_TRUE(missing || together[cell] == alone[cell]);
        }
    }
}

TEST(LibraryInterface, TheFirstFaultInMatrixOrderIsReported) {
    std::mt19937_64 rng(7);
    std::vector<std::vector<double>> matrices(40, random_matrix(6, rng));
    matrices[25][1] = 50.0;                          // not additive
    matrices[31][7] = std::nan("");                  // row 1, column 1
    const std::vector<double> five = random_matrix(5, rng); // another n
    std::vector<MatrixView> views;
    for (const std::vector<double>& cells : matrices) {
        views.push_back(row_major(cells, 6));
    }
    views[35] = row_major(five, 5);
    rf_compare::TreeSet trees(rf_compare::WhenNotAdditive::stop);
    try {
        trees.add_all(views);
        FAIL() << "matrix 25 is not additive";
    } catch (const rf_compare::NotAdditive& e) {
        EXPECT_EQ(e.index, 25U);
    }
    EXPECT_EQ(trees.size(), 25U);
    rf_compare::TreeSet marking(rf_compare::WhenNotAdditive::mark);
    try {
        marking.add_all(views);
        FAIL() << "matrix 31 has a NaN";
    } catch (const rf_compare::BadArgument& e) {
        EXPECT_EQ(e.matrix, 31U);
        EXPECT_STREQ(e.what(), "entry [1, 1] is nan");
    }
    EXPECT_EQ(marking.size(), 31U);
    EXPECT_THROW(marking.add(views[35]), rf_compare::BadArgument);
    std::vector<double> row(31);
    marking.distances(rf_compare::Metric::rf, false, true, row);
    EXPECT_THROW(marking.distances(rf_compare::Metric::rf, false, true, std::span(row).first(30)), rf_compare::BadArgument);
    EXPECT_THROW(marking.add(views[0]), rf_compare::BadArgument); // compared: closed
}

TEST(LibraryInterface, RebuiltEdgesGiveBackThePathLengthsInAnyLayout) {
    std::mt19937_64 rng(3);
    for (const std::int32_t n : {2, 3, 9, 40}) {
        const std::vector<double> cells = random_matrix(n, rng);
        // Column-major and spread out: entry (i, j) at 3 * (i + j * n).
        std::vector<double> spread(cells.size() * 3);
        for (std::int32_t i = 0; i < n; ++i) {
            for (std::int32_t j = 0; j < n; ++j) {
                spread[static_cast<std::size_t>(3 * (i + j * n))] = cells[static_cast<std::size_t>(i * n + j)];
            }
        }
        const rf_compare::Tree tree = rf_compare::rebuild({spread.data(), n, n, 24, 24 * n});
        EXPECT_EQ(tree.newick(), rf_compare::rebuild(row_major(cells, n)).newick());
        // Path lengths from the edges, node by node down from the root.
        const std::vector<rf_compare::TreeEdge> edges = tree.edges();
        std::vector<std::int32_t> parent(edges.size() + 2, 0);
        std::vector<double> above(edges.size() + 2, 0.0);
        for (const rf_compare::TreeEdge& edge : edges) {
            ASSERT_TRUE(edge.parent == n + 1 || parent[static_cast<std::size_t>(edge.parent)] != 0) << "parents first";
            parent[static_cast<std::size_t>(edge.child)] = edge.parent;
            above[static_cast<std::size_t>(edge.child)] = edge.length;
        }
        auto depth = [&](std::int32_t v) {
            double sum = 0.0;
            for (; v != n + 1; v = parent[static_cast<std::size_t>(v)]) {
                sum += above[static_cast<std::size_t>(v)];
            }
            return sum;
        };
        for (std::int32_t i = 1; i <= n; ++i) {
            for (std::int32_t j = i + 1; j <= n; ++j) {
                // Below the root only when neither leaf is on the other's path; leaf 1 is the root's child.
                const double through_root = depth(i) + depth(j);
                double path = through_root;
                for (std::int32_t v = i; v != n + 1; v = parent[static_cast<std::size_t>(v)]) {
                    for (std::int32_t w = j; w != n + 1; w = parent[static_cast<std::size_t>(w)]) {
                        if (v == w) {
                            path = std::min(path, through_root - 2 * depth(v));
                        }
                    }
                }
                EXPECT_NEAR(path, cells[static_cast<std::size_t>((i - 1) * n + j - 1)], 1e-9) << i << ", " << j;
            }
        }
    }
}

} // namespace
} // namespace rf::testing
