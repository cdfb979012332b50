// Answers that do not depend on the unit, matrices that are no distance
// matrices refused with their entry, no overflow, and a misfit that only
// doubtful matrices show: random trees whose splits and path lengths are
// known from the tree itself, scaled, rounded and broken on purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "random_tree.hpp"
#include "rf_compare/rf_compare.hpp"

namespace rf::testing {
namespace {

using rf_compare::Metric;

struct Forest {
    std::vector<tools::RandomTree> trees;
    std::vector<std::vector<double>> matrices; // row-major n by n
};

Forest random_forest(std::int32_t n, std::size_t m, std::mt19937_64& rng) {
    Forest forest;
    for (std::size_t k = 0; k < m; ++k) {
        const auto shape = k % 2 == 0 ? tools::TreeShape::binary : tools::TreeShape::multifurcating;
        forest.trees.push_back(tools::make_random_tree(n, shape, rng, 0.05, 1.0));
        const DistanceMatrix d = tools::path_length_matrix(forest.trees.back());
        std::vector<double>& cells = forest.matrices.emplace_back();
        for (std::int32_t i = 1; i <= n; ++i) {
            cells.insert(cells.end(), d.row(i) + 1, d.row(i) + 1 + n);
        }
    }
    return forest;
}

rf_compare::MatrixView view_of(const std::vector<double>& cells, std::int32_t n) {
    return {cells.data(), n, n, n * 8, 8};
}

// A rebuilt tree's edges as the leaf sets on their far side from leaf 1
// (bit v for leaf v) with their lengths, sorted by leaf set.
std::vector<tools::ClusterEdge> cluster_edges_of(const rf_compare::Tree& tree) {
    const std::int32_t n = tree.leaf_count();
    const std::vector<rf_compare::TreeEdge> edges = tree.edges();
    const auto words = static_cast<std::size_t>(n) / 64 + 1;
    std::vector<tools::Cluster> below(edges.size() + 2, tools::Cluster(words, 0));
    for (std::int32_t leaf = 1; leaf <= n; ++leaf) {
        below[static_cast<std::size_t>(leaf)][static_cast<std::size_t>(leaf) / 64] |= std::uint64_t{1} << (leaf % 64);
    }
    // Edges run from the root down (ape's order): gathered from the last up.
    for (auto edge = edges.rbegin(); edge != edges.rend(); ++edge) {
        for (std::size_t w = 0; w < words; ++w) {
            below[static_cast<std::size_t>(edge->parent)][w] |= below[static_cast<std::size_t>(edge->child)][w];
        }
    }
    std::vector<tools::ClusterEdge> found;
    for (const rf_compare::TreeEdge& edge : edges) {
        tools::Cluster cluster = below[static_cast<std::size_t>(edge.child)];
        if ((cluster[0] & 2U) != 0) { // leaf 1's own edge: the leaves on its other side
            for (std::size_t w = 0; w < words; ++w) {
                cluster[w] = ~cluster[w] & below[static_cast<std::size_t>(edges.front().parent)][w];
            }
        }
        found.push_back({cluster, edge.length, edge.child > n});
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<double> times(std::vector<double> cells, double factor) {
    for (double& cell : cells) {
        cell *= factor;
    }
    return cells;
}

rf_compare::TreeTable table_of(const std::vector<std::vector<double>>& matrices, std::int32_t n,
                               rf_compare::Tolerance tolerance) {
    rf_compare::SetOptions options;
    options.tolerance = tolerance;
    options.when_not_additive = rf_compare::WhenNotAdditive::mark;
    rf_compare::TreeSet set(options);
    for (const std::vector<double>& cells : matrices) {
        set.add(view_of(cells, n));
    }
    return set.finish();
}

std::vector<double> distances(const rf_compare::TreeTable& table, Metric metric) {
    std::vector<double> cells(table.cells({}));
    table.distances({metric}, cells);
    return cells;
}

// With a relative tolerance the unit makes no difference: for 10^k, k from
// -8 to 8, the RF table is the generating trees' own, wrf and kf are 10^k
// times those of the unit 1, and every rebuilt edge is 10^k times as long.
TEST(TreeMetric, RelativeToleranceMakesTheUnitIrrelevant) {
    std::mt19937_64 rng(2312);
    const std::int32_t n = 17;
    const Forest forest = random_forest(n, 8, rng);
    const std::size_t m = forest.trees.size();
    const rf_compare::TreeTable unit = table_of(forest.matrices, n, rf_compare::Tolerance::relative());
    const std::vector<double> wrf = distances(unit, Metric::wrf);
    const std::vector<double> kf = distances(unit, Metric::kf);
    for (int k = -8; k <= 8; ++k) {
        SCOPED_TRACE("10^" + std::to_string(k));
        const double factor = std::pow(10.0, k);
        std::vector<std::vector<double>> scaled;
        for (const std::vector<double>& cells : forest.matrices) {
            scaled.push_back(times(cells, factor));
        }
        const rf_compare::TreeTable table = table_of(scaled, n, rf_compare::Tolerance::relative());
        const std::vector<double> rf = distances(table, Metric::rf);
        const std::vector<double> scaled_wrf = distances(table, Metric::wrf);
        const std::vector<double> scaled_kf = distances(table, Metric::kf);
        for (std::size_t a = 0; a < m; ++a) {
            EXPECT_TRUE(table.misfit_warning().empty());
            for (std::size_t b = 0; b < m; ++b) {
                const std::size_t cell = a * m + b;
                EXPECT_EQ(rf[cell], tools::symmetric_difference_size(tools::clusters_below_leaf_one(forest.trees[a]),
                                                                      tools::clusters_below_leaf_one(forest.trees[b])));
                EXPECT_NEAR(scaled_wrf[cell], wrf[cell] * factor, 1e-12 * factor * (1 + wrf[cell]));
                EXPECT_NEAR(scaled_kf[cell], kf[cell] * factor, 1e-12 * factor * (1 + kf[cell]));
            }
        }
        for (std::size_t t = 0; t < m; ++t) { // the generating tree's own splits and lengths, scaled
            const std::vector<tools::ClusterEdge> expected = tools::cluster_edges(forest.trees[t]);
            const std::vector<tools::ClusterEdge> found =
                cluster_edges_of(rf_compare::rebuild(view_of(scaled[t], n), {}, rf_compare::Tolerance::relative()));
            ASSERT_EQ(found.size(), expected.size());
            for (std::size_t e = 0; e < found.size(); ++e) {
                EXPECT_EQ(found[e].cluster, expected[e].cluster);
                EXPECT_NEAR(found[e].length, expected[e].length * factor, 1e-12 * factor);
            }
        }
    }
}

// Each is refused by its entry (rows and columns from 0), whichever of the
// library's ways the matrix comes in.
TEST(TreeMetric, NoDistanceMatrixIsRefusedByItsEntry) {
    struct Case {
        const char* name;
        std::int32_t row;
        std::int32_t column;
        double value;
        double mirror;
        std::string detail;
    };
    const Case cases[] = {
        {"asymmetric", 3, 2, 2.5, 2.0, "is 2 and its mirror image 2.5: the matrix is not symmetric (beyond 1e-4 of its largest entry)"},
        {"negative", 1, 0, -0.005, -0.005, "is -0.005, a negative distance"},
        {"so large that sums overflow", 1, 0, 2e307, 2e307, "is 2e+307: sums of entries this large overflow"},
    };
    const std::vector<double> good{0, 2, 3, 3, 2, 0, 3, 3, 3, 3, 0, 2, 3, 3, 2, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> bad = good;
        bad[static_cast<std::size_t>(c.row * 4 + c.column)] = c.value;
        bad[static_cast<std::size_t>(c.column * 4 + c.row)] = c.mirror;
        try {
            static_cast<void>(rf_compare::rebuild(view_of(bad, 4)));
            ADD_FAILURE() << "rebuilt";
        } catch (const rf_compare::Error& e) {
            EXPECT_EQ(e.kind(), rf_compare::ErrorKind::bad_argument);
            EXPECT_EQ(e.detail(), c.detail);
        }
        rf_compare::TreeSet set;
        set.add(view_of(good, 4));
        try {
            set.add(view_of(bad, 4));
            ADD_FAILURE() << "added";
        } catch (const rf_compare::Error& e) {
            EXPECT_EQ(e.kind(), rf_compare::ErrorKind::bad_argument);
            EXPECT_EQ(e.place().matrix, 1U);
            EXPECT_EQ(e.place().row, std::min(c.row, c.column));
            EXPECT_EQ(e.place().column, std::max(c.row, c.column));
        }
    }
}

// Programs that compute the two triangles apart and print six decimals
// differ in the last digit: such matrices are distance matrices, and their
// trees are the generating ones.
TEST(TreeMetric, TrianglesThatDifferInTheLastPrintedDigitAreSymmetric) {
    std::mt19937_64 rng(849);
    const std::int32_t n = 30;
    const Forest forest = random_forest(n, 6, rng);
    std::vector<std::vector<double>> printed;
    for (const std::vector<double>& cells : forest.matrices) {
        std::vector<double> apart = cells;
        for (std::int32_t i = 0; i < n; ++i) {
            for (std::int32_t j = 0; j < n; ++j) { // the upper triangle rounded up, the lower down
                const double scaled = cells[static_cast<std::size_t>(i * n + j)] * 1e6;
                apart[static_cast<std::size_t>(i * n + j)] = (i < j ? std::ceil(scaled) : std::floor(scaled)) / 1e6;
            }
        }
        printed.push_back(apart);
    }
    const std::vector<double> rf = distances(table_of(printed, n, rf_compare::Tolerance{}), Metric::rf);
    const std::size_t m = forest.trees.size();
    for (std::size_t a = 0; a < m; ++a) {
        for (std::size_t b = 0; b < m; ++b) {
            EXPECT_EQ(rf[a * m + b], tools::symmetric_difference_size(tools::clusters_below_leaf_one(forest.trees[a]),
                                                                      tools::clusters_below_leaf_one(forest.trees[b])));
        }
    }
}

// Lengths near 1e155 square beyond the largest double; the distances stay
// finite and a tree is exactly 0 from itself.
TEST(TreeMetric, WeightedDistancesOfHugeLengthsAreFinite) {
    std::mt19937_64 rng(155);
    const Forest forest = random_forest(9, 3, rng);
    std::vector<std::vector<double>> huge;
    for (const std::vector<double>& cells : forest.matrices) {
        huge.push_back(times(cells, 1e155));
    }
    huge.push_back(huge.front());
    const rf_compare::TreeTable table = table_of(huge, 9, rf_compare::Tolerance::relative());
    for (const Metric metric : {Metric::wrf, Metric::kf}) {
        const std::vector<double> cells = distances(table, metric);
        for (const double cell : cells) {
            EXPECT_TRUE(std::isfinite(cell));
        }
        EXPECT_EQ(cells[3], 0.0) << "the first tree and its copy";
        EXPECT_GT(cells[1], 1e154);
    }
}

// Exact tree metrics written with six decimals, as programs write them, are
// never taken for doubtful; the same matrices with noise of 1 % always are.
TEST(TreeMetric, OnlyMatricesThatAreNoTreeMetricsWarn) {
    std::mt19937_64 rng(6);
    std::uniform_real_distribution<double> noise(-0.01, 0.01);
    for (std::int32_t n = 4; n <= 64; n += 4) {
        const Forest forest = random_forest(n, 4, rng);
        std::vector<std::vector<double>> written;
        std::vector<std::vector<double>> noisy;
        for (const std::vector<double>& cells : forest.matrices) {
            std::vector<double>& rounded = written.emplace_back(cells);
            std::vector<double>& disturbed = noisy.emplace_back(cells);
            for (std::int32_t i = 0; i < n; ++i) {
                for (std::int32_t j = 0; j < i; ++j) {
                    char text[32];
                    const auto end = std::to_chars(text, text + sizeof text, cells[i * n + j], std::chars_format::fixed, 6).ptr;
                    std::from_chars(text, end, rounded[i * n + j]);
                    rounded[j * n + i] = rounded[i * n + j];
                    disturbed[i * n + j] = disturbed[j * n + i] = cells[i * n + j] * (1 + noise(rng));
                }
            }
        }
        const rf_compare::TreeTable exact = table_of(written, n, {});
        EXPECT_TRUE(exact.misfit_warning().empty()) << exact.misfit_warning();
        for (std::size_t t = 0; t < written.size(); ++t) {
            EXPECT_LT(exact.misfit(t).absolute, 1e-5);
        }
        EXPECT_FALSE(table_of(noisy, n, {}).misfit_warning().empty()) << n << " leaves";
    }
}

} // namespace
} // namespace rf::testing
