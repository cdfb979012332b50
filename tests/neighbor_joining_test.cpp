// SPDX-License-Identifier: MIT
// Neighbor joining and BIONJ against ape on random noisy matrices, against
// the additive rebuild on exact tree metrics, and against themselves on the
// same matrix with its leaves in another order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include <unistd.h>

#include "cancellation.hpp"
#include "engine_test_support.hpp"
#include "leaf_symmetry.hpp"
#include "neighbor_joining.hpp"
#include "thread_team.hpp"
#include "tolerances.hpp"
#include "tree_of_joins.hpp"

namespace rf::testing {
namespace {

using Split = std::vector<std::int32_t>; // the leaves on the side without leaf 1, sorted

// A tree read as its splits and its path lengths, from any edge list.
struct TreeShape {
    std::vector<Split> splits; // of the inner edges, sorted
    std::vector<std::vector<double>> paths; // [i][j], leaves from 1
};

// Nodes 0..N-1, leaf_of[v] the leaf at node v (0: inner).
TreeShape shape_of(std::int32_t n, const std::vector<std::int32_t>& leaf_of, const std::vector<LooseEdge>& edges) {
    const std::size_t nodes = leaf_of.size();
    std::vector<std::vector<std::pair<std::int32_t, double>>> adjacent(nodes);
    for (const LooseEdge& e : edges) {
        adjacent[static_cast<std::size_t>(e.a)].emplace_back(e.b, e.length);
        adjacent[static_cast<std::size_t>(e.b)].emplace_back(e.a, e.length);
    }
    TreeShape shape;
    shape.paths.assign(static_cast<std::size_t>(n) + 1, std::vector<double>(static_cast<std::size_t>(n) + 1, 0.0));
    std::int32_t leaf_one = 0;
    for (std::size_t v = 0; v < nodes; ++v) {
        if (leaf_of[v] == 1) {
            leaf_one = static_cast<std::int32_t>(v);
        }
    }
    for (std::size_t start = 0; start < nodes; ++start) {
        if (leaf_of[start] == 0) {
            continue;
        }
        // Depth first from a leaf: path lengths, and from leaf 1 the leaves below each edge.
        std::vector<double> depth(nodes, 0.0);
        std::vector<std::int32_t> from(nodes, -1);
        std::vector<std::int32_t> order{static_cast<std::int32_t>(start)};
        from[start] = static_cast<std::int32_t>(start);
        for (std::size_t k = 0; k < order.size(); ++k) {
            const auto v = static_cast<std::size_t>(order[k]);
            for (const auto& [w, length] : adjacent[v]) {
                if (from[static_cast<std::size_t>(w)] == -1) {
                    from[static_cast<std::size_t>(w)] = static_cast<std::int32_t>(v);
                    depth[static_cast<std::size_t>(w)] = depth[v] + length;
                    order.push_back(w);
                }
            }
        }
        for (std::size_t v = 0; v < nodes; ++v) {
            if (leaf_of[v] != 0) {
                shape.paths[static_cast<std::size_t>(leaf_of[start])][static_cast<std::size_t>(leaf_of[v])] = depth[v];
            }
        }
        if (static_cast<std::int32_t>(start) != leaf_one) {
            continue;
        }
        std::vector<Split> below(nodes);
        for (std::size_t k = order.size(); k-- > 1;) {
            const auto v = static_cast<std::size_t>(order[k]);
            if (leaf_of[v] != 0) {
                below[v].push_back(leaf_of[v]);
            } else if (from[v] != static_cast<std::int32_t>(start)) { // not leaf 1's own edge
                std::sort(below[v].begin(), below[v].end());
                shape.splits.push_back(below[v]);
            }
            Split& up = below[static_cast<std::size_t>(from[v])];
            up.insert(up.end(), below[v].begin(), below[v].end());
        }
        std::sort(shape.splits.begin(), shape.splits.end());
    }
    return shape;
}

TreeShape shape_of(const JoinedTree& tree) {
    std::int32_t nodes = tree.leaf_count;
    for (const LooseEdge& e : tree.edges) {
        nodes = std::max({nodes, e.a + 1, e.b + 1});
    }
    std::vector<std::int32_t> leaf_of(static_cast<std::size_t>(nodes), 0);
    std::iota(leaf_of.begin(), leaf_of.begin() + tree.leaf_count, 1);
    return shape_of(tree.leaf_count, leaf_of, tree.edges);
}

// Node 0 is leaf 1, node c cluster c.
TreeShape shape_of(const ClusterTree& tree) {
    std::vector<std::int32_t> leaf_of(static_cast<std::size_t>(tree.count()) + 1, 0);
    std::vector<LooseEdge> edges;
    leaf_of[0] = 1;
    for (std::int32_t c = 1; c <= tree.count(); ++c) {
        leaf_of[static_cast<std::size_t>(c)] = tree.leaf[static_cast<std::size_t>(c)];
        edges.push_back({c, tree.parent[static_cast<std::size_t>(c)], tree.edge_length[static_cast<std::size_t>(c)]});
    }
    return shape_of(tree.leaf_count, leaf_of, edges);
}

// The path lengths of two trees within `relative` of each other, entry by entry.
void expect_paths_near(const TreeShape& ours, const TreeShape& theirs, double relative) {
    const std::size_t side = ours.paths.size();
    for (std::size_t i = 1; i < side; ++i) {
        for (std::size_t j = 1; j < side; ++j) {
            const double expected = theirs.paths[i][j];
            ASSERT_NEAR(ours.paths[i][j], expected, relative * std::max(std::fabs(expected), 1e-300))
                << "leaves " << i << ", " << j;
        }
    }
}

// A random tree's path lengths, each pair's times a factor 1 + noise * N(0, 1) (at least 0.01).
DistanceMatrix noisy_matrix(std::int32_t n, double noise, std::mt19937_64& rng) {
    const tools::RandomTree tree = tools::make_random_tree(n, tools::TreeShape::binary, rng, 0.01, 1.0);
    DistanceMatrix d = tools::path_length_matrix(tree);
    std::normal_distribution<double> normal(0.0, noise);
    for (std::int32_t i = 1; i <= n; ++i) {
        for (std::int32_t j = i + 1; j <= n; ++j) {
            d.at(i, j) *= std::max(1.0 + normal(rng), 0.01);
            d.at(j, i) = d.at(i, j);
        }
    }
    return d;
}

// What ape makes of a matrix (see ape_joining.R): its NJ and BIONJ trees,
// Gascuel's BIONJ in doubles with the closer pair joined last, and whether
// ape's BIONJ tree is that one.
struct ApeTrees {
    TreeShape nj;
    TreeShape bionj;
    TreeShape bionj_closer;
    std::string bionj_choice;
};

std::vector<ApeTrees> ape_trees(const std::vector<DistanceMatrix>& matrices) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("rf_nj_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    {
        std::ofstream in(folder / "matrices.txt");
        in.precision(17);
        for (const DistanceMatrix& d : matrices) {
            in << d.leaf_count() << "\n";
            for (std::int32_t i = 1; i <= d.leaf_count(); ++i) {
                for (std::int32_t j = 1; j <= d.leaf_count(); ++j) {
                    in << d.at(i, j) << (j == d.leaf_count() ? "\n" : " ");
                }
            }
        }
    }
    const std::string command = "Rscript " RF_APE_JOINING_SCRIPT " " + (folder / "matrices.txt").string() + " " +
                                (folder / "trees.txt").string();
    if (std::system(command.c_str()) != 0) {
        std::filesystem::remove_all(folder);
        return {};
    }
    std::vector<ApeTrees> trees(matrices.size());
    std::ifstream out(folder / "trees.txt");
    std::string word;
    while (out >> word) {
        std::size_t k = 0;
        std::string what;
        out >> k >> what;
        if (word == "ape-bionj") {
            trees[k - 1].bionj_choice = what;
            continue;
        }
        const std::int32_t n = matrices[k - 1].leaf_count();
        TreeShape& shape = what == "nj" ? trees[k - 1].nj : what == "bionj" ? trees[k - 1].bionj : trees[k - 1].bionj_closer;
        shape.paths.assign(static_cast<std::size_t>(n) + 1, std::vector<double>(static_cast<std::size_t>(n) + 1, 0.0));
        for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i) {
            for (std::size_t j = 1; j <= static_cast<std::size_t>(n); ++j) {
                out >> shape.paths[i][j];
            }
        }
        std::string line;
        std::getline(out, line);
        while (out.peek() == 's' && std::getline(out, line)) {
            std::istringstream words(line.substr(5));
            Split split;
            for (std::int32_t leaf = 0; words >> leaf;) {
                split.push_back(leaf);
            }
            shape.splits.push_back(split);
        }
        std::sort(shape.splits.begin(), shape.splits.end());
    }
    std::filesystem::remove_all(folder);
    return trees;
}

// ape's NJ computes in doubles: the same tree to within 1e-6. Its BIONJ
// computes in single precision (to within about 1e-6, at times a little
// more), and with four nodes left, where the two pairs that split them
// alike have the same Q, joins whichever its rounding puts first; this one
// joins the closer pair. So BIONJ is compared with Gascuel's formulas in
// doubles, closer pair last, to within 1e-9, and ape's tree must be those
// formulas' for one choice or the other; where it is the same choice, it
// is this tree to within 1e-5.
TEST(NeighborJoining, EqualsApeOnNoisyMatrices) {
    std::mt19937_64 rng(20261208);
    std::vector<DistanceMatrix> matrices;
    for (int k = 0; k < 120; ++k) {
        const auto n = std::uniform_int_distribution<std::int32_t>(3, k < 100 ? 30 : 120)(rng);
        matrices.push_back(noisy_matrix(n, k % 2 == 0 ? 0.05 : 0.3, rng));
    }
    const std::vector<ApeTrees> ape = ape_trees(matrices);
    ASSERT_EQ(ape.size(), matrices.size()) << "Rscript with ape is needed (tests/install_packages.sh installs it)";
    int same_last_join = 0;
    for (std::size_t k = 0; k < matrices.size(); ++k) {
        SCOPED_TRACE("matrix " + std::to_string(k + 1));
        const TreeShape nj = shape_of(join_neighbors(matrices[k], JoiningFormula::neighbor_joining));
        ASSERT_EQ(nj.splits, ape[k].nj.splits);
        expect_paths_near(nj, ape[k].nj, 1e-6);
        const TreeShape bionj = shape_of(join_neighbors(matrices[k], JoiningFormula::bionj));
        ASSERT_EQ(bionj.splits, ape[k].bionj.splits);
        ASSERT_NE(ape[k].bionj_choice, "neither");
        expect_paths_near(bionj, ape[k].bionj_closer, 1e-9);
        if (ape[k].bionj_choice == "closer") {
            expect_paths_near(bionj, ape[k].bionj, 1e-5);
            ++same_last_join;
        }
    }
    EXPECT_GT(same_last_join, 20); // ape's own trees, where it joined the same pair last
}

TEST(NeighborJoining, GivesTheAdditiveTreeOfATreeMetric) {
    std::mt19937_64 rng(20261209);
    const tools::TreeShape shapes[] = {tools::TreeShape::binary, tools::TreeShape::multifurcating,
                                       tools::TreeShape::caterpillar};
    for (int trial = 0; trial < 150; ++trial) {
        const auto n = std::uniform_int_distribution<std::int32_t>(2, trial < 120 ? 25 : 200)(rng);
        const tools::RandomTree tree = tools::make_random_tree(n, shapes[trial % 3], rng, 0.05, 1.0);
        const DistanceMatrix d = tools::path_length_matrix(tree);
        const std::optional<ClusterTree> additive = rebuild_tree(d);
        ASSERT_TRUE(additive);
        const TreeShape expected = shape_of(*additive);
        for (const JoiningFormula formula : {JoiningFormula::neighbor_joining, JoiningFormula::bionj}) {
            SCOPED_TRACE("trial " + std::to_string(trial) + ", n = " + std::to_string(n) +
                         (formula == JoiningFormula::bionj ? ", bionj" : ", nj"));
            const TreeShape joined = shape_of(tree_of_joins(join_neighbors(d, formula), ZERO_TOLERANCE));
            ASSERT_EQ(joined.splits, expected.splits);
            expect_paths_near(joined, expected, 1e-9);
        }
    }
}

} // namespace
} // namespace rf::testing

namespace rf::testing {
namespace {

// A split as both its sides' leaf classes, the lesser side first, and its length.
using ClassSplit = std::tuple<std::vector<std::int64_t>, std::vector<std::int64_t>, double>;

// Every edge of a tree, its leaves by class: trees that differ only by
// swapping leaves of one class give the same list.
std::vector<ClassSplit> class_splits(const ClusterTree& tree, const std::vector<std::int64_t>& class_of) {
    const auto n = static_cast<std::size_t>(tree.leaf_count);
    std::vector<std::vector<std::int32_t>> below(static_cast<std::size_t>(tree.count()) + 1);
    for (std::int32_t c = tree.count(); c >= 1; --c) { // children are made after their parents
        const auto at = static_cast<std::size_t>(c);
        if (tree.leaf[at] != 0) {
            below[at].push_back(tree.leaf[at]);
        }
        auto& up = below[static_cast<std::size_t>(tree.parent[at])];
        up.insert(up.end(), below[at].begin(), below[at].end());
    }
    std::vector<ClassSplit> splits;
    for (std::size_t c = 1; c < below.size(); ++c) {
        std::vector<char> inside(n + 1, 0);
        std::vector<std::int64_t> in;
        std::vector<std::int64_t> out;
        for (const std::int32_t leaf : below[c]) {
            inside[static_cast<std::size_t>(leaf)] = 1;
        }
        for (std::size_t leaf = 1; leaf <= n; ++leaf) {
            (inside[leaf] != 0 ? in : out).push_back(class_of[leaf - 1]);
        }
        std::sort(in.begin(), in.end());
        std::sort(out.begin(), out.end());
        splits.emplace_back(std::min(in, out), std::max(in, out), tree.edge_length[c]);
    }
    std::sort(splits.begin(), splits.end());
    return splits;
}

// Leaf v of `matrix` is leaf new_number[v] of the result.
DistanceMatrix renumbered(const DistanceMatrix& matrix, const std::vector<std::int32_t>& new_number) {
    const std::int32_t n = matrix.leaf_count();
    DistanceMatrix result(n);
    for (std::int32_t i = 0; i <= n; ++i) {
        for (std::int32_t j = 0; j <= n; ++j) {
            result.at(i == 0 ? 0 : new_number[static_cast<std::size_t>(i)], j == 0 ? 0 : new_number[static_cast<std::size_t>(j)]) =
                matrix.at(i, j);
        }
    }
    return result;
}

// Matrices full of ties: entries rounded to one decimal, copies of leaves
// (rows alike, 0 apart), exact tree metrics with polytomies, every entry
// equal. The tree of every order of the leaves is the same tree, edge
// lengths bit for bit, up to swapping leaves that the matrix cannot tell
// apart.
TEST(NeighborJoining, SameTreeWhateverTheOrderOfTheLeaves) {
    std::mt19937_64 rng(20261210);
    for (int trial = 0; trial < 200; ++trial) {
        const auto n = std::uniform_int_distribution<std::int32_t>(3, 40)(rng);
        DistanceMatrix d = trial % 4 == 2 ? tools::path_length_matrix(tools::make_random_tree(
                                                n, tools::TreeShape::multifurcating, rng, 0.1, 0.1))
                                          : noisy_matrix(n, 0.3, rng);
        for (std::int32_t i = 1; i <= n; ++i) {
            for (std::int32_t j = 1; j <= n; ++j) {
                d.at(i, j) = trial % 4 == 3 ? (i == j ? 0.0 : 1.0) : std::round(d.at(i, j) * 10.0) / 10.0;
            }
        }
        if (trial % 4 == 1) { // leaf `copy` a copy of leaf `of`
            const std::int32_t of = std::uniform_int_distribution<std::int32_t>(1, n)(rng);
            const std::int32_t copy = of % n + 1;
            for (std::int32_t k = 1; k <= n; ++k) {
                d.at(copy, k) = d.at(of, k);
                d.at(k, copy) = d.at(k, of);
            }
            d.at(copy, of) = d.at(of, copy) = d.at(copy, copy) = 0.0;
        }
        std::vector<std::int32_t> new_number(static_cast<std::size_t>(n) + 1);
        std::iota(new_number.begin(), new_number.end(), 0);
        std::shuffle(new_number.begin() + 1, new_number.end(), rng);
        const DistanceMatrix shuffled = renumbered(d, new_number);
        const std::vector<std::int64_t> class_of = leaf_ranks(d);
        for (const JoiningFormula formula : {JoiningFormula::neighbor_joining, JoiningFormula::bionj}) {
            SCOPED_TRACE("trial " + std::to_string(trial) + ", n = " + std::to_string(n) +
                         (formula == JoiningFormula::bionj ? ", bionj" : ", nj"));
            const ClusterTree tree = tree_of_joins(join_neighbors(d, formula), ZERO_TOLERANCE);
            // The shuffled matrix's tree, its leaves numbered back.
            std::vector<std::int32_t> old_number(static_cast<std::size_t>(n) + 1);
            for (std::int32_t v = 1; v <= n; ++v) {
                old_number[static_cast<std::size_t>(new_number[static_cast<std::size_t>(v)])] = v;
            }
            const ClusterTree back =
                renumbered_leaves(tree_of_joins(join_neighbors(shuffled, formula), ZERO_TOLERANCE), old_number);
            EXPECT_EQ(class_splits(back, class_of), class_splits(tree, class_of));
        }
    }
}

TEST(NeighborJoining, MergesShortInnerEdgesAndWritesNegativeLengthsAsZero) {
    // Leaves 1..4 (nodes 0..3), inner nodes 4 and 5.
    struct Case {
        const char* what;
        double inner;
        double leaf;
        std::size_t splits;
        double leaf_written;
    };
    for (const Case& c : {Case{"kept", 0.5, 0.3, 1, 0.3}, Case{"within the tolerance", 1e-5, 0.3, 0, 0.3},
                          Case{"negative", -0.2, 0.3, 0, 0.3}, Case{"negative leaf", 0.5, -0.1, 1, 0.0}}) {
        SCOPED_TRACE(c.what);
        const JoinedTree joined{4, {{4, 0, c.leaf}, {4, 1, 0.2}, {5, 2, 0.3}, {5, 3, 0.4}, {5, 4, c.inner}}};
        const ClusterTree tree = tree_of_joins(joined, ZERO_TOLERANCE);
        const TreeShape shape = shape_of(tree);
        EXPECT_EQ(shape.splits.size(), c.splits);
        EXPECT_EQ(shape.paths[1][2], c.leaf_written + 0.2);
        EXPECT_EQ(*std::min_element(tree.edge_length.begin() + 1, tree.edge_length.end()) >= 0.0, true);
    }
}

TEST(NeighborJoining, SharesTheSearchAmongThreadsWithTheSameResult) {
    std::mt19937_64 rng(20261211);
    const DistanceMatrix d = noisy_matrix(700, 0.2, rng);
    ThreadTeam team(ThreadUse{3});
    for (const JoiningFormula formula : {JoiningFormula::neighbor_joining, JoiningFormula::bionj}) {
        const JoinedTree alone = join_neighbors(d, formula);
        const JoinedTree shared = join_neighbors(d, formula, {&team, {}});
        ASSERT_EQ(alone.edges.size(), shared.edges.size());
        for (std::size_t e = 0; e < alone.edges.size(); ++e) {
            EXPECT_EQ(alone.edges[e].a, shared.edges[e].a);
            EXPECT_EQ(alone.edges[e].b, shared.edges[e].b);
            EXPECT_EQ(alone.edges[e].length, shared.edges[e].length);
        }
    }
}

TEST(NeighborJoining, StopsWhenAsked) {
    std::mt19937_64 rng(20261212);
    const DistanceMatrix d = noisy_matrix(50, 0.2, rng);
    int asked = 0;
    EXPECT_THROW(static_cast<void>(join_neighbors(d, JoiningFormula::neighbor_joining, {nullptr, [&] { return ++asked == 10; }})),
                 Cancelled);
    EXPECT_EQ(asked, 10);
}

} // namespace
} // namespace rf::testing
