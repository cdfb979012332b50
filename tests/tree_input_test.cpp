// Trees given as trees: random trees written here as Newick and NEXUS text
// (rooted anywhere or not at all, with and without lengths, with comments,
// support values and names that need quotes), read back by the library and
// compared with the splits known from the trees themselves and with the
// same trees rebuilt from their exact path-length matrices.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "random_tree.hpp"
#include "rf_compare/rf_compare.hpp"

namespace rf::testing {
namespace {

using rf_compare::Metric;

std::string leaf_name(std::int32_t leaf) { return leaf % 3 == 0 ? "taxon " + std::to_string(leaf) : "t" + std::to_string(leaf); }

struct Writing {
    bool lengths = true;
    bool root_on_edge = false; // a bifurcating root in the middle of an edge
    bool decorated = false;    // comments, support values, exponents
};

// The tree as Newick text, from an inner node (or an edge's middle).
std::string newick_of(const tools::RandomTree& tree, const Writing& how, std::mt19937_64& rng) {
    const auto n = tree.leaf_count;
    const auto inner = static_cast<std::int32_t>(tree.adjacency.size()) - n;
    std::int32_t root = n + std::uniform_int_distribution<std::int32_t>(0, inner - 1)(rng);
    std::string text;
    const auto length = [&](double value) {
        if (!how.lengths) {
            return;
        }
        char number[40];
        std::snprintf(number, sizeof number, how.decorated ? ":%.17e" : ":%.17g", value);
        text += number;
    };
    const auto label = [&](std::int32_t v) {
        const std::string name = leaf_name(tree.label[static_cast<std::size_t>(v)]);
        std::string written = name;
        std::replace(written.begin(), written.end(), ' ', '_');
        text += (how.decorated && name.find(' ') != std::string::npos) ? "'" + name + "'" : written;
    };
    // Depth first without recursion: (node, parent, next edge), each
    // node's length written after it.
    struct Visit {
        std::int32_t node;
        std::int32_t parent;
        std::size_t next = 0;
    };
    const auto write_rooted = [&](std::int32_t top, std::int32_t above) {
        std::vector<Visit> stack{{top, above}};
        std::vector<double> above_length{0.0};
        while (!stack.empty()) {
            Visit& visit = stack.back();
            const auto& edges = tree.adjacency[static_cast<std::size_t>(visit.node)];
            if (visit.node < n) {
                label(visit.node);
                if (stack.size() > 1) {
                    length(above_length.back());
                }
                stack.pop_back();
                above_length.pop_back();
                continue;
            }
            if (visit.next == 0) {
                text += how.decorated ? "( [a comment] " : "(";
            }
            while (visit.next < edges.size() && edges[visit.next].to == visit.parent) {
                ++visit.next;
            }
            if (visit.next < edges.size()) {
                if (text.back() != '(' && text.back() != ' ') {
                    text += ',';
                }
                const tools::Edge edge = edges[visit.next++];
                stack.push_back({edge.to, visit.node});
                above_length.push_back(edge.length);
                continue;
            }
            text += how.decorated ? ")95" : ")";
            if (stack.size() > 1) {
                length(above_length.back());
            }
            stack.pop_back();
            above_length.pop_back();
        }
    };
    if (how.root_on_edge) { // a root on the edge from `root` to its first neighbour
        const tools::Edge edge = tree.adjacency[static_cast<std::size_t>(root)].front();
        text += how.decorated ? "[&R] (" : "(";
        write_rooted(root, edge.to);
        length(edge.length / 4);
        text += ',';
        write_rooted(edge.to, root);
        length(edge.length - edge.length / 4);
        text += ");";
        return text;
    }
    write_rooted(root, -1);
    text += ";";
    return text;
}

std::filesystem::path written_file(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::vector<double> table_of(rf_compare::TreeSet& set, Metric metric) {
    const rf_compare::TreeTable table = set.finish();
    std::vector<double> cells(table.cells({}));
    table.distances({metric}, cells);
    return cells;
}

// Whatever the rooting and the way it is written, a tree file's trees give
// the table of their generating trees: RF from the trees' own splits, wrf
// and kf as the same trees rebuilt from their exact matrices.
TEST(TreeInput, FilesGiveTheTablesOfTheirTrees) {
    std::mt19937_64 rng(25);
    const std::int32_t n = 14;
    std::vector<tools::RandomTree> trees;
    for (int k = 0; k < 9; ++k) {
        const auto shape = k % 3 == 0 ? tools::TreeShape::binary
                           : k % 3 == 1 ? tools::TreeShape::multifurcating
                                        : tools::TreeShape::caterpillar;
        trees.push_back(tools::make_random_tree(n, shape, rng, 0.05, 1.0));
    }
    std::vector<std::string> names;
    for (std::int32_t leaf = 1; leaf <= n; ++leaf) {
        names.push_back(leaf_name(leaf));
    }
    for (const Writing how : {Writing{true, false, false}, Writing{true, true, true}, Writing{false, true, false}}) {
        std::string newick;
        std::string nexus = "#NEXUS\nbegin taxa; dimensions ntax=14; end;\nbegin trees;\n translate\n";
        for (std::int32_t leaf = 1; leaf <= n; ++leaf) {
            nexus += "  " + std::to_string(leaf + 100) + " '" + leaf_name(leaf) + "'" + (leaf < n ? ",\n" : ";\n");
        }
        for (std::size_t k = 0; k < trees.size(); ++k) {
            const std::string line = newick_of(trees[k], how, rng);
            newick += line + "\n";
            std::string numbered = line; // the NEXUS file names leaves by their keys
            for (std::int32_t leaf = n; leaf >= 1; --leaf) {
                std::string name = leaf_name(leaf);
                std::string written = name;
                std::replace(written.begin(), written.end(), ' ', '_');
                for (const std::string& form : {"'" + name + "'", written}) {
                    for (std::size_t at = 0; (at = numbered.find(form, at)) != std::string::npos;) {
                        const char after = at + form.size() < numbered.size() ? numbered[at + form.size()] : ';';
                        if (std::isdigit(static_cast<unsigned char>(after))) {
                            at += form.size();
                            continue;
                        }
                        numbered.replace(at, form.size(), std::to_string(leaf + 100));
                    }
                }
            }
            nexus += " tree t" + std::to_string(k) + " = [&U] " + numbered + "\n";
        }
        nexus += "end;\n";
        for (const auto& file : {written_file("trees.nwk", newick), written_file("trees.nex", nexus)}) {
            SCOPED_TRACE(file.string() + (how.lengths ? "" : ", no lengths") + (how.root_on_edge ? ", rooted" : ""));
            rf_compare::TreeSet rf_set;
            rf_compare::TreeSet kf_set;
            rf_compare::TreeReader reader({file.string()});
            while (const std::optional<rf_compare::Tree> tree = reader.next()) {
                EXPECT_EQ(tree->has_lengths(), how.lengths);
                rf_set.add(*tree);
                kf_set.add(*tree);
            }
            const std::vector<double> rf = table_of(rf_set, Metric::rf);
            ASSERT_EQ(rf.size(), trees.size() * trees.size());
            for (std::size_t a = 0; a < trees.size(); ++a) {
                for (std::size_t b = 0; b < trees.size(); ++b) {
                    EXPECT_EQ(rf[a * trees.size() + b],
                              tools::symmetric_difference_size(tools::clusters_below_leaf_one(trees[a]),
                                                               tools::clusters_below_leaf_one(trees[b])));
                }
            }
            if (!how.lengths) {
                EXPECT_THROW(static_cast<void>(table_of(kf_set, Metric::kf)), rf_compare::Error);
                continue;
            }
            rf_compare::TreeSet rebuilt;
            for (const tools::RandomTree& tree : trees) {
                const DistanceMatrix d = tools::path_length_matrix(tree);
                std::vector<double> cells;
                for (std::int32_t i = 1; i <= n; ++i) {
                    cells.insert(cells.end(), d.row(i) + 1, d.row(i) + 1 + n);
                }
                rebuilt.add({cells.data(), n, n, n * 8, 8}, names);
            }
            const std::vector<double> expected = table_of(rebuilt, Metric::kf);
            const std::vector<double> found = table_of(kf_set, Metric::kf);
            for (std::size_t cell = 0; cell < found.size(); ++cell) {
                EXPECT_NEAR(found[cell], expected[cell], 1e-9);
            }
        }
    }
}

// A tree and matrices of it, leaves in other orders: one set, zeros.
TEST(TreeInput, TreesAndMatricesMixByName) {
    rf_compare::TreeSet set;
    set.add(rf_compare::tree_from_newick("((ant:1,bee:1):1,cow:1,dog:1);"));
    const std::vector<double> reversed{0, 2, 3, 3, 2, 0, 3, 3, 3, 3, 0, 2, 3, 3, 2, 0}; // dog cow | bee ant
    set.add({reversed.data(), 4, 4, 32, 8}, {"dog", "cow", "bee", "ant"});
    set.add(rf_compare::tree_from_newick("(cow:1,dog:1,(bee:1,ant:1):1);"));
    for (const Metric metric : {Metric::rf, Metric::kf}) {
        rf_compare::TreeSet copy;
        copy.add(rf_compare::tree_from_newick("((ant:1,bee:1):1,cow:1,dog:1);"));
        copy.add({reversed.data(), 4, 4, 32, 8}, {"dog", "cow", "bee", "ant"});
        copy.add(rf_compare::tree_from_newick("(cow:1,dog:1,(bee:1,ant:1):1);"));
        for (const double cell : table_of(copy, metric)) {
            EXPECT_EQ(cell, 0.0);
        }
    }
    try {
        set.add(rf_compare::tree_from_newick("((ant,bee),cow,eel);"));
        ADD_FAILURE() << "added";
    } catch (const rf_compare::Error& e) {
        EXPECT_STREQ(e.what(), "matrices[3] has no leaf named \"dog\", which the first tree has");
    }
}

// Each bad file says where and what was expected; none hangs or crashes.
TEST(TreeInput, BadFilesSayWhereAndWhat) {
    struct Case {
        const char* text;
        std::string message; // after the file's name
    };
    const Case cases[] = {
        {"((a,b),(c,d);\n", ", line 1, column 13: found \";\", expected \",\" or \")\", or \";\" at the end of the tree"},
        {"((a,b),c,d);\n((a,b),c:x,d);\n", ", line 2, column 10: found \"x\", expected a decimal number, the length after \":\""},
        {"((a,b),c,d);\n((a,,b),c,d);", ", line 2, column 5: found \",\", expected a leaf's label"},
        {"((a,b),c,d);\n((a,b),c,'d);", ", line 2, column 10: found \"'d\", a quoted label that is never closed"},
        {"((a,b),c,d) [ends;", ", line 1, column 13: found \"[ends\", a comment in [ ] that is never closed"},
        {"((a,b),c,d)", ", line 1, column 12: found the end of the file, the text ends inside a tree"},
        {"((a,b),c,a);", ", tree 1: the leaf name \"a\" is given twice"},
        {"((a,b),c,d);\n((a,b),c,e);", ", tree 2 has no leaf named \"d\", which the first tree has"},
        {"(a);", ", tree 1: the tree has 1 leaf: it needs at least 2"},
        {"#NEXUS\nbegin trees;\n tree one ((a,b),c,d);\nend;", ", line 3, column 11: found \"(\", expected \"tree NAME = (...);\""},
        {"#NEXUS\nbegin trees; translate 1 a, 2;\n", ", line 2, column 30: found \";\", expected the name that \"2\" stands for"},
        {"#NEXUS\nbegin trees;\n tree one = ((a,b),c,d);\n", ", line 4, column 1: found the end of the file, expected \"end;\" at the end of the trees block"},
        {"", ": the file holds no trees: expected a Newick tree, \"(\" first, or \"#NEXUS\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string path = written_file("bad.nwk", c.text).string();
        try {
            rf_compare::TreeReader reader({path}, c.text[0] == '#' ? rf_compare::FileFormat::nexus : rf_compare::FileFormat::automatic);
            while (reader.next()) {
            }
            ADD_FAILURE() << "read";
        } catch (const rf_compare::Error& e) {
            EXPECT_EQ(e.what(), path + c.message);
        }
    }
}

} // namespace
} // namespace rf::testing
