// The library's interface as bindings use it, under the sanitizers too:
// many matrices rebuilt on the team give what one at a time gives, whatever
// threads can be had; the first fault in matrix order is the one reported
// and a failed call leaves the set as it was; an interruption stops long
// work; any memory layout is read, and a rebuilt tree's edges give back the
// path lengths it came from.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <random>
#include <system_error>

#include "distance_rows.hpp"
#include "random_tree.hpp"
#include "rf_compare/rf_compare.hpp"
#include "thread_team.hpp"
#include "tree_collector.hpp"

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

std::vector<double> table_of(const rf_compare::TreeTable& table, rf_compare::Metric metric) {
    std::vector<double> cells(table.cells({}));
    table.distances({metric}, cells);
    return cells;
}

// A test's thread starter that starts `budget` threads, then fails as a
// system out of threads does.
rf::ThreadStarter starting_at_most(std::shared_ptr<std::atomic<int>> budget) {
    return [budget](rf::ThreadBody body) {
        if (budget->fetch_sub(1) <= 0) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        return std::jthread(std::move(body));
    };
}

std::vector<double> distances_of(const std::vector<std::vector<double>>& matrices, bool one_at_a_time,
                                 rf_compare::Metric metric, std::size_t threads) {
    rf_compare::SetOptions options;
    options.when_not_additive = rf_compare::WhenNotAdditive::mark;
    options.threads = threads;
    rf_compare::TreeSet trees(options);
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
    return table_of(trees.finish(), metric);
}

TEST(LibraryInterface, ManyAtOnceGiveWhatOneAtATimeGivesOnAnyNumberOfThreads) {
    std::mt19937_64 rng(1207);
    std::vector<std::vector<double>> matrices;
    for (int k = 0; k < 70; ++k) {
        matrices.push_back(random_matrix(12, rng));
    }
    matrices[9][1] = matrices[9][12] = 50.0; // not additive: NaN in row and column 10 but 0 on the diagonal
    for (const auto metric : {rf_compare::Metric::rf, rf_compare::Metric::wrf, rf_compare::Metric::kf}) {
        const std::vector<double> alone = distances_of(matrices, true, metric, 1);
        ASSERT_EQ(alone.size(), 70U * 70U);
        for (const std::size_t threads : {1U, 2U, 3U, 8U}) {
            const std::vector<double> together = distances_of(matrices, false, metric, threads);
            for (std::size_t cell = 0; cell < together.size(); ++cell) {
                const bool missing = (cell / 70 == 9) != (cell % 70 == 9);
                EXPECT_EQ(std::isnan(together[cell]), missing);
                EXPECT_TRUE(missing || together[cell] == alone[cell]) << threads << " threads, cell " << cell;
            }
        }
    }
}

// Threads are an optimisation: the engine's teams, the catalog's thread and
// the reader's look-ahead do without the threads that cannot be started.
TEST(LibraryInterface, ThreadsThatCannotStartChangeNothing) {
    std::mt19937_64 rng(99);
    std::vector<std::vector<double>> matrices;
    for (int k = 0; k < 40; ++k) {
        matrices.push_back(random_matrix(30, rng));
    }
    std::vector<MatrixView> views;
    for (const std::vector<double>& cells : matrices) {
        views.push_back(row_major(cells, 30));
    }
    const std::vector<double> expected = distances_of(matrices, true, rf_compare::Metric::kf, 1);
    for (const int budget : {0, 1, 2}) {
        rf::Cancellation never;
        rf_compare::detail::TreeCollector collector(
            {false, true, {4, starting_at_most(std::make_shared<std::atomic<int>>(budget))}, {}, false});
        collector.add_views(views, never);
        const rf::NumberedTrees numbered = collector.finish();
        const rf::DistanceRows rows(numbered, rf::Metric::kf, false);
        rf::DistanceRows::Scratch scratch;
        std::vector<double> row(40);
        for (std::size_t t = 0; t < 40; ++t) {
            rows.row(t, scratch, row);
            for (std::size_t j = 0; j < 40; ++j) {
                EXPECT_EQ(row[j], expected[t * 40 + j]) << budget << " threads started";
            }
        }
    }
    for (const int budget : {0, 1}) {
        const rf::ThreadTeam team({5, starting_at_most(std::make_shared<std::atomic<int>>(budget))});
        EXPECT_EQ(team.size(), static_cast<std::size_t>(budget) + 1);
    }
}

TEST(LibraryInterface, TheFirstFaultInMatrixOrderIsReported) {
    std::mt19937_64 rng(7);
    std::vector<std::vector<double>> matrices(40, random_matrix(6, rng));
    matrices[25][1] = matrices[25][6] = 50.0;        // not additive
    matrices[31][7] = std::nan("");                  // row 1, column 1
    const std::vector<double> five = random_matrix(5, rng); // another n
    std::vector<MatrixView> views;
    for (const std::vector<double>& cells : matrices) {
        views.push_back(row_major(cells, 6));
    }
    views[35] = row_major(five, 5);
    const auto kind_of = [](auto&& call) {
        try {
            call();
        } catch (const rf_compare::Error& e) {
            return std::pair(e.kind(), std::string(e.what()));
        }
        return std::pair(rf_compare::ErrorKind::cancelled, std::string("no error"));
    };
    rf_compare::TreeSet trees;
    EXPECT_EQ(kind_of([&] { trees.add_all(views); }),
              std::pair(rf_compare::ErrorKind::not_additive, std::string("matrices[25] is not an additive distance")));
    EXPECT_EQ(trees.size(), 25U);
    rf_compare::SetOptions mark;
    mark.when_not_additive = rf_compare::WhenNotAdditive::mark;
    rf_compare::TreeSet marking(mark);
    EXPECT_EQ(kind_of([&] { marking.add_all(views); }),
              std::pair(rf_compare::ErrorKind::bad_argument, std::string("matrices[31][1, 1] is nan, not a finite number")));
    EXPECT_EQ(marking.size(), 31U);
    EXPECT_EQ(kind_of([&] { marking.add(views[35]); }).first, rf_compare::ErrorKind::bad_argument);
    const rf_compare::TreeTable table = marking.finish();
    EXPECT_EQ(marking.size(), 0U);
    std::vector<double> row(31);
    table.distances({rf_compare::Metric::rf, false, rf_compare::Rows::first}, row);
    EXPECT_TRUE(std::isnan(row[25]) && row[0] == 0.0);
    EXPECT_EQ(kind_of([&] { table.distances({rf_compare::Metric::rf, false, rf_compare::Rows::first}, std::span(row).first(30)); }).first,
              rf_compare::ErrorKind::bad_argument);
}

// A failed call leaves the set as it was: a first matrix that is not
// additive fixes no n, so a matrix of another n is then taken.
TEST(LibraryInterface, AFailedAddLeavesTheSetAsItWas) {
    std::mt19937_64 rng(5);
    std::vector<double> skewed = random_matrix(6, rng);
    skewed[1] = skewed[6] = 50.0;
    const std::vector<double> five = random_matrix(5, rng);
    rf_compare::TreeSet trees;
    EXPECT_THROW(trees.add(row_major(skewed, 6)), rf_compare::Error);
    EXPECT_EQ(trees.size(), 0U);
    trees.add(row_major(five, 5));
    trees.add(row_major(five, 5));
    EXPECT_EQ(trees.finish().leaf_count(), 5);
}

// Ctrl-C's way in: the caller's check stops a long table between rows and
// rebuilding between matrices, and the table stays usable.
TEST(LibraryInterface, AnInterruptionStopsLongWork) {
    std::mt19937_64 rng(11);
    std::vector<std::vector<double>> matrices(300, random_matrix(20, rng));
    std::vector<MatrixView> views;
    for (const std::vector<double>& cells : matrices) {
        views.push_back(row_major(cells, 20));
    }
    auto asked = std::make_shared<int>(0);
    bool interrupt = false;
    rf_compare::SetOptions options;
    options.threads = 2;
    options.interrupted = [&interrupt, asked] {
        ++*asked;
        return interrupt;
    };
    rf_compare::TreeSet trees(options);
    trees.add_all(views);
    interrupt = true;
    try {
        trees.add_all(views);
        FAIL() << "interrupted";
    } catch (const rf_compare::Error& e) {
        EXPECT_EQ(e.kind(), rf_compare::ErrorKind::cancelled);
    }
    const rf_compare::TreeTable table = trees.finish();
    std::vector<double> cells(table.cells({}));
    EXPECT_THROW(table.distances({}, cells), rf_compare::Error);
    interrupt = false;
    table.distances({}, cells);
    EXPECT_GT(*asked, 2);
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
