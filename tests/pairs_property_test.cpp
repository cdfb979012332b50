// rf_pairs against trees it has never seen: sets of random trees (some
// copies of one tree, with two leaves swapped or other edge lengths, so
// that clusters are shared by most trees, by some, or by one; some edges of
// length 0), written as their exact path-length matrices. The distances
// must be those of the clusters and edge lengths known from the trees
// themselves, row 1 what rf_compare writes, and each Newick line the tree
// itself: its clusters and edge lengths, the inner edges of length 0
// collapsed as the reconstruction collapses them.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <map>
#include <sstream>

#include "random_tree.hpp"
#include "run_binary.hpp"
#include "short_decimal.hpp"

namespace rf::testing {
namespace {

using tools::Cluster;
using tools::ClusterEdge;

struct TreeSet {
    std::int32_t n = 0;
    std::vector<tools::RandomTree> trees;
};

void swap_two_labels(tools::RandomTree& tree, std::mt19937_64& rng) {
    std::uniform_int_distribution<std::size_t> leaf(0, tree.label.size() - 1);
    std::swap(tree.label[leaf(rng)], tree.label[leaf(rng)]);
}

// Some edges of length 0: inner ones, whose two nodes become one, and
// leaves' own, which put the leaf on an inner node (leaf 1's too).
void zero_some_edges(tools::RandomTree& tree, std::mt19937_64& rng) {
    for (std::size_t v = 0; v < tree.adjacency.size(); ++v) {
        for (tools::Edge& edge : tree.adjacency[v]) {
            if (static_cast<std::size_t>(edge.to) > v && rng() % 5 == 0) {
                edge.length = 0.0;
                for (tools::Edge& back : tree.adjacency[static_cast<std::size_t>(edge.to)]) {
                    back.length = back.to == static_cast<std::int32_t>(v) ? 0.0 : back.length;
                }
            }
        }
    }
}

// The same tree with every edge given a new length.
void redraw_lengths(tools::RandomTree& tree, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> length(0.05, 1.0);
    for (std::size_t v = 0; v < tree.adjacency.size(); ++v) {
        for (tools::Edge& edge : tree.adjacency[v]) {
            if (static_cast<std::size_t>(edge.to) > v) {
                edge.length = length(rng);
                for (tools::Edge& back : tree.adjacency[static_cast<std::size_t>(edge.to)]) {
                    back.length = back.to == static_cast<std::int32_t>(v) ? edge.length : back.length;
                }
            }
        }
    }
}

TreeSet random_tree_set(std::mt19937_64& rng, int trial) {
    TreeSet set;
    set.n = std::uniform_int_distribution<std::int32_t>(3, trial % 4 == 0 ? 40 : 8)(rng);
    const int m = std::uniform_int_distribution<int>(2, 25)(rng);
    const auto shape = static_cast<tools::TreeShape>(trial % 3);
    const tools::RandomTree base = tools::make_random_tree(set.n, shape, rng, 0.05, 1.0);
    for (int t = 0; t < m; ++t) {
        const bool copy = rng() % 2 == 0;
        tools::RandomTree tree = copy ? base : tools::make_random_tree(set.n, shape, rng, 0.05, 1.0);
        if (rng() % 3 == 0) {
            swap_two_labels(tree, rng);
        } else if (copy && rng() % 2 == 0) {
            redraw_lengths(tree, rng);
        }
        if (trial % 2 == 1) {
            zero_some_edges(tree, rng);
        }
        set.trees.push_back(std::move(tree));
    }
    return set;
}

// Every entry with 17 significant digits: the file holds the exact doubles.
std::string matrix_file(const TreeSet& set) {
    std::string text = std::to_string(set.n) + "\n";
    char number[32];
    for (const tools::RandomTree& tree : set.trees) {
        const DistanceMatrix d = tools::path_length_matrix(tree);
        for (std::int32_t i = 1; i <= set.n; ++i) {
            for (std::int32_t j = 1; j <= set.n; ++j) {
                const auto [end, ec] = std::to_chars(number, number + sizeof number, d.at(i, j), std::chars_format::general, 17);
                text.append(number, end).push_back(j < set.n ? ' ' : '\n');
            }
        }
    }
    return text;
}

// The edges that the reconstruction keeps: all but inner edges of length 0.
std::vector<ClusterEdge> kept_edges(const tools::RandomTree& tree) {
    std::vector<ClusterEdge> edges = tools::cluster_edges(tree);
    std::erase_if(edges, [](const ClusterEdge& e) { return e.inner && e.length == 0.0; });
    return edges;
}

std::vector<Cluster> clusters_of(const std::vector<ClusterEdge>& edges) {
    std::vector<Cluster> clusters;
    for (const ClusterEdge& e : edges) {
        clusters.push_back(e.cluster);
    }
    return clusters;
}

// A Newick line read back into its edges, leaf 1 first below the root: each
// node's edge is the leaves below it, and leaf 1's edge the leaves 2..n.
class NewickReader {
public:
    NewickReader(const std::string& line, std::int32_t n) : text_(line), words_(static_cast<std::size_t>(n) / 64 + 1) {}

    std::vector<ClusterEdge> edges() {
        Cluster all(words_, 0);
        expect('(');
        const Cluster first = node(); // leaf 1
        const double leaf_one_length = last_length_;
        while (peek() == ',') {
            ++at_;
            const Cluster below = node();
            for (std::size_t w = 0; w < words_; ++w) {
                all[w] |= below[w];
            }
        }
        expect(')');
        expect(';');
        EXPECT_EQ(first, Cluster(words_, 0)) << "leaf 1 is the root's first child";
        edges_.push_back({all, leaf_one_length, false});
        std::sort(edges_.begin(), edges_.end());
        return edges_;
    }

private:
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void expect(char c) {
        EXPECT_EQ(peek(), c) << "at " << at_ << " of " << text_;
        ++at_;
    }
    // One subtree and its edge; the leaves below it (none for leaf 1).
    Cluster node() {
        Cluster below(words_, 0);
        const bool inner = peek() == '(';
        if (inner) {
            ++at_;
            do {
                const Cluster child = node();
                for (std::size_t w = 0; w < words_; ++w) {
                    below[w] |= child[w];
                }
            } while (peek() == ',' && ++at_ != 0);
            expect(')');
        } else {
            std::int32_t label = 0;
            at_ = static_cast<std::size_t>(std::from_chars(text_.data() + at_, text_.data() + text_.size(), label).ptr - text_.data());
            if (label != 1) {
                below[static_cast<std::size_t>(label) / 64] |= std::uint64_t{1} << (label % 64);
            }
        }
        expect(':');
        const auto [end, ec] = std::from_chars(text_.data() + at_, text_.data() + text_.size(), last_length_);
        char short_form[SHORT_DECIMAL_MAX_CHARS];
        EXPECT_EQ(std::string_view(text_.data() + at_, end), std::string_view(short_form, write_short_decimal(short_form, last_length_)))
            << "lengths are written in short form";
        at_ = static_cast<std::size_t>(end - text_.data());
        if (below != Cluster(words_, 0)) {
            edges_.push_back({below, last_length_, inner});
        }
        return below;
    }

    std::string text_;
    std::size_t words_;
    std::size_t at_ = 0;
    double last_length_ = 0.0;
    std::vector<ClusterEdge> edges_;
};

std::vector<std::vector<std::string>> table_cells(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string>& row = rows.emplace_back();
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) {
            row.push_back(cell);
        }
    }
    return rows;
}

// Weighted Robinson-Foulds (or the squared branch score) of two trees from
// their edges, sorted by cluster: a split that one tree lacks has length 0.
double weighted_distance(const std::vector<ClusterEdge>& a, const std::vector<ClusterEdge>& b, bool squared) {
    auto term = [squared](double x) { return squared ? x * x : std::fabs(x); };
    double sum = 0.0;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && a[i].cluster < b[j].cluster)) {
            sum += term(a[i++].length);
        } else if (i == a.size() || b[j].cluster < a[i].cluster) {
            sum += term(b[j++].length);
        } else {
            sum += term(a[i++].length - b[j++].length);
        }
    }
    return squared ? std::sqrt(sum) : sum;
}

// rf_pairs --metric wrf and kf against the distances of the generating
// trees' edges; the tables are symmetric, 0 on the diagonal and exactly 0
// between trees with the same edges, and kf <= wrf.
void check_weighted_tables(const FolderContents& files, const std::vector<std::vector<ClusterEdge>>& edges) {
    const RunResult wrf = run_rf_pairs(files, {"in.txt", "--metric", "wrf"});
    const RunResult kf = run_rf_pairs(files, {"in.txt", "--metric", "kf"});
    ASSERT_EQ(wrf.exit_code, 0) << wrf.errors;
    ASSERT_EQ(kf.exit_code, 0) << kf.errors;
    const auto wrf_cells = table_cells(wrf.console);
    const auto kf_cells = table_cells(kf.console);
    for (std::size_t i = 0; i < edges.size(); ++i) {
        for (std::size_t j = 0; j < edges.size(); ++j) {
            SCOPED_TRACE("row " + std::to_string(i + 1) + ", column " + std::to_string(j + 1));
            for (const bool squared : {false, true}) {
                const std::string& cell = (squared ? kf_cells : wrf_cells)[i + 1][j + 1];
                const double expected = weighted_distance(edges[i], edges[j], squared);
                EXPECT_NEAR(std::stod(cell), expected, 1e-9 * (1.0 + expected)) << (squared ? "kf" : "wrf");
                EXPECT_EQ(cell, (squared ? kf_cells : wrf_cells)[j + 1][i + 1]) << "symmetric";
                if (edges[i] == edges[j]) {
                    EXPECT_EQ(cell, "0") << "same edges, same lengths";
                }
            }
            EXPECT_LE(std::stod(kf_cells[i + 1][j + 1]), std::stod(wrf_cells[i + 1][j + 1]) * (1 + 1e-11));
        }
    }
}

TEST(PairsProperties, DistancesAndTreesOfRandomTreeSets) {
    std::mt19937_64 rng(20261207);
    for (int trial = 0; trial < 24; ++trial) {
        const TreeSet set = random_tree_set(rng, trial);
        const auto m = set.trees.size();
        SCOPED_TRACE("trial " + std::to_string(trial) + ": n = " + std::to_string(set.n) + ", m = " + std::to_string(m));
        const FolderContents files{{{"in.txt", matrix_file(set)}}};
        const RunResult plain = run_rf_pairs(files, {"in.txt", "--newick", "trees.nwk"});
        const RunResult normalised = run_rf_pairs(files, {"in.txt", "--normalised"});
        const RunResult compared = run_rf_compare(files, "in.txt out.txt " + std::to_string(m));
        ASSERT_EQ(plain.exit_code, 0) << plain.errors;
        ASSERT_EQ(normalised.exit_code, 0) << normalised.errors;

        std::vector<std::vector<ClusterEdge>> edges;
        for (const tools::RandomTree& tree : set.trees) {
            edges.push_back(kept_edges(tree));
        }
        const auto distances = table_cells(plain.console);
        const auto fractions = table_cells(normalised.console);
        ASSERT_EQ(distances.size(), m + 1);
        std::string row_one;
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t j = 0; j < m; ++j) {
                const std::int32_t expected = tools::symmetric_difference_size(clusters_of(edges[i]), clusters_of(edges[j]));
                ASSERT_EQ(distances[i + 1][j + 1], std::to_string(expected)) << "row " << i + 1 << ", column " << j + 1;
                const auto largest = static_cast<double>(edges[i].size() + edges[j].size()) - 2.0 * set.n;
                const double fraction = std::stod(fractions[i + 1][j + 1]);
                EXPECT_NEAR(fraction, largest == 0 ? 0.0 : expected / largest, 5e-7);
                EXPECT_TRUE(fraction >= 0.0 && fraction <= 1.0);
            }
            row_one += i > 0 ? distances[1][i + 1] + " \n" : "";
        }
        EXPECT_EQ(compared.files.at("out.txt"), row_one);
        check_weighted_tables(files, edges);

        std::istringstream newick(plain.files.at("trees.nwk"));
        std::size_t t = 0;
        for (std::string line; std::getline(newick, line); ++t) {
            ASSERT_LT(t, m);
            const std::vector<ClusterEdge> read = NewickReader(line, set.n).edges();
            ASSERT_EQ(clusters_of(read), clusters_of(edges[t])) << line;
            for (std::size_t e = 0; e < read.size(); ++e) {
                EXPECT_NEAR(read[e].length, edges[t][e].length, 1e-9) << line;
            }
        }
        EXPECT_EQ(t, m);
    }
}

} // namespace
} // namespace rf::testing
