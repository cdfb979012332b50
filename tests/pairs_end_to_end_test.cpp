// The built rf_pairs, driven as a script drives it: arguments, a matrix file
// in the folder; checked are standard output, standard error, the exit code
// and the Newick file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "example_matrices.hpp"
#include "run_binary.hpp"

namespace rf::testing {
namespace {

const std::string FOUR = "4\n" + EDGE_34 + EDGE_24 + STAR + STAR;
// Trees that differ in their splits, in an inner edge's length alone, and
// in leaf 1's edge alone.
const std::string LENGTHS = "4\n" + EDGE_34 + EDGE_24 + STAR + SHORT_34 + LONG_LEAF_1;
const std::string SEE_HELP = "; see rf_pairs --help\n";

// A matrix's text with every number written in another unit: `suffix`
// appended to each ("e-6"), or to each but 0 for a number of zeros.
std::string scaled(const std::string& matrix, const std::string& suffix) {
    std::string text;
    std::string word;
    for (const char c : matrix + " ") {
        if (c == ' ' || c == '\n') {
            if (!word.empty()) {
                text += word == "0" ? word : word + suffix;
            }
            word.clear();
            text += c;
        } else {
            word += c;
        }
    }
    text.pop_back();
    return text;
}

struct PairsCase {
    const char* name;
    std::string matrix_file; // written as in.txt
    std::vector<std::string> arguments;
    std::string out;
    std::string errors;
    int exit_code;
    std::optional<std::string> newick = std::nullopt; // out.nwk afterwards
    bool out_is_prefix = false;
    std::vector<Link> links = {};
    std::string output_name = ""; // standard output appended to this file of the folder
    // Wine cannot tell which file an inherited standard output is: the
    // refusal is only seen on POSIX (and on Windows itself).
    bool posix_only = false;
};

std::vector<PairsCase> cases() {
    return {
        {"the example", "4\n" + EDGE_34 + EDGE_24, {"in.txt"}, "matrix\t1\t2\n1\t0\t2\n2\t2\t0\n", "", 0},
        {"four trees, options after the file", FOUR, {"in.txt", "--newick", "out.nwk"},
         "matrix\t1\t2\t3\t4\n1\t0\t2\t1\t1\n2\t2\t0\t1\t1\n3\t1\t1\t0\t0\n4\t1\t1\t0\t0\n", "", 0,
         "(1:1,2:1,(3:1,4:1):1);\n(1:1,3:1,(2:1,4:1):1);\n(1:1,2:1,3:1,4:1);\n(1:1,2:1,3:1,4:1);\n"},
        {"three threads: the same", FOUR, {"in.txt", "--threads", "3"},
         "matrix\t1\t2\t3\t4\n1\t0\t2\t1\t1\n2\t2\t0\t1\t1\n3\t1\t1\t0\t0\n4\t1\t1\t0\t0\n", "", 0},
        {"normalised: two stars are 0 apart", FOUR, {"--normalised", "in.txt"},
         "matrix\t1\t2\t3\t4\n1\t0.000000\t1.000000\t1.000000\t1.000000\n2\t1.000000\t0.000000\t1.000000\t1.000000\n"
         "3\t1.000000\t1.000000\t0.000000\t0.000000\n4\t1.000000\t1.000000\t0.000000\t0.000000\n",
         "", 0},
        {"first row of the first two, garbage after them", "4\n" + EDGE_34 + EDGE_24 + "garbage", {"-m", "2", "--first", "in.txt"},
         "matrix\t1\t2\n1\t0\t2\n", "", 0},
        {"a matrix that is not additive", "4\n" + EDGE_34 + SKEWED + STAR, {"in.txt", "--newick", "out.nwk"},
         "matrix\t1\t2\t3\n1\t0\tNA\t1\n2\tNA\tNA\tNA\n3\t1\tNA\t0\n",
         "rf_pairs: matrix 2: This is not an additive distance\n", 3, "(1:1,2:1,(3:1,4:1):1);\n\n(1:1,2:1,3:1,4:1);\n"},
        // Doubtful matrices: no distance matrix is left out like one that is
        // not additive; one that is no tree metric is compared, with a warning.
        {"no distance matrices", "4\n" + EDGE_34 + ASYMMETRIC + NEGATIVE + HUGE, {"in.txt", "--first", "--newick", "out.nwk"},
         "matrix\t1\t2\t3\t4\n1\t0\tNA\tNA\tNA\n",
         "rf_pairs: matrix 2: entry in row 3, column 4 is 2 and its mirror image 2.5: the matrix is not symmetric "
         "(beyond 1e-4 of its largest entry)\n"
         "rf_pairs: matrix 3: entry in row 1, column 2 is -0.005, a negative distance\n"
         "rf_pairs: matrix 4: entry in row 1, column 2 is 2e+307: sums of entries this large overflow\n",
         3, "(1:1,2:1,(3:1,4:1):1);\n\n\n\n"},
        {"no tree metric: a warning", "4\n" + EDGE_34 + NO_TREE_METRIC, {"in.txt"}, "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n",
         "rf_pairs: 1 of 2 matrices is not a tree metric: its tree's path lengths differ from it by up to 40 % (matrix 2); "
         "such a tree depends on the order of the leaves; --method nj builds trees that do not depend on it; see "
         "--misfit and --strict\n", 0},
        // Neighbor joining: a tree for any distance matrix, no warning.
        {"no tree metric, neighbor joining", "4\n" + EDGE_34 + NO_TREE_METRIC, {"in.txt", "--method", "nj", "--newick", "out.nwk"},
         "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n", "", 0, "(1:1,2:1,(3:1,4:1):1);\n(1:1.5,2:1.5,(3:1.5,4:1.5):1.5);\n"},
        {"not additive, neighbor joining, a negative length written 0", "4\n" + EDGE_34 + SKEWED,
         {"in.txt", "--method", "nj", "--newick", "out.nwk"}, "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n", "", 0,
         "(1:1,2:1,(3:1,4:1):1);\n(1:2.75,2:0,(3:2.75,4:0):2.25);\n"},
        {"no tree metric, strict", "4\n" + EDGE_34 + NO_TREE_METRIC, {"--strict", "in.txt"},
         "matrix\t1\t2\n1\t0\tNA\n2\tNA\tNA\n",
         "rf_pairs: matrix 2: This is not an additive distance: its tree's path lengths differ from it by up to 40 % "
         "(strict)\n", 3},
        {"lengths of 1e-6: absolute merges them, with a hint", "4\n" + scaled(EDGE_34, "e-6") + scaled(EDGE_24, "e-6"),
         {"in.txt", "--newick", "out.nwk"}, "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n",
         "rf_pairs: 2 of 2 matrices are not tree metrics: their trees' path lengths differ from them by up to 100 % "
         "(matrix 1); such trees depend on the order of the leaves; the entries are so small that a relative tolerance "
         "may help (--tolerance relative); --method nj builds trees that do not depend on it; see --misfit and --strict\n",
         0, "(1:2e-06,2:0,3:0,4:0);\n(1:2e-06,3:0,2:0,4:0);\n"},
        {"small entries, no tree metric: no hint where a relative tolerance changes nothing",
         "4\n" + EDGE_34 + scaled(NO_TREE_METRIC, "e-3"), {"in.txt"}, "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n",
         "rf_pairs: 1 of 2 matrices is not a tree metric: its tree's path lengths differ from it by up to 40 % (matrix 2); "
         "such a tree depends on the order of the leaves; --method nj builds trees that do not depend on it; see "
         "--misfit and --strict\n", 0},
        {"lengths of 1e-6, relative", "4\n" + scaled(EDGE_34, "e-6") + scaled(EDGE_24, "e-6"),
         {"in.txt", "--tolerance", "relative", "--newick", "out.nwk"}, "matrix\t1\t2\n1\t0\t2\n2\t2\t0\n", "", 0,
         "(1:1e-06,2:1e-06,(3:1e-06,4:1e-06):1e-06);\n(1:1e-06,3:1e-06,(2:1e-06,4:1e-06):1e-06);\n"},
        {"a star of distances of 2.5e11, relative", "4\n" + scaled(STAR, "50000000000"), {"in.txt", "--tolerance", "relative", "-m", "1", "--newick", "out.nwk"},
         "matrix\t1\n1\t0\n", "", 0, "(1:1.25e+11,2:1.25e+11,3:1.25e+11,4:1.25e+11);\n"},
        {"an absolute tolerance of its own", "4\n" + scaled(EDGE_34, "e-6"), {"in.txt", "--tolerance", "1e-9", "--newick", "out.nwk"},
         "matrix\t1\n1\t0\n", "", 0, "(1:1e-06,2:1e-06,(3:1e-06,4:1e-06):1e-06);\n"},
        // Tree files: read, not rebuilt; rooted or not, the same splits.
        {"Newick trees", "[&R] ((a:1,b:1):0.5,(c:1,d:1):0.5);\n((a:1,c:1):1,b:1,\nd:1);\n(a:1,b:1,(c:1,d:1):1);\n",
         {"in.txt", "--newick", "out.nwk", "--metric", "kf"},
         "matrix\t1\t2\t3\n1\t0\t1.41421356237\t0\n2\t1.41421356237\t0\t1.41421356237\n3\t0\t1.41421356237\t0\n", "", 0,
         "(a:1,(c:1,d:1):1,b:1);\n(a:1,(b:1,d:1):1,c:1);\n(a:1,b:1,(c:1,d:1):1);\n"},
        {"NEXUS trees with a translate table", "#NEXUS\nbegin trees;\n translate 1 a, 2 b, 3 'c d', 4 d;\n"
         " tree one = [&U] ((1,2),3,4);\n tree two = ((1,3),2,4);\nend;\n", {"in.txt", "-m", "2"},
         "matrix\t1\t2\n1\t0\t2\n2\t2\t0\n", "", 0},
        {"trees without lengths, kf", "((a,b),c,d);\n", {"in.txt", "--metric", "kf"}, "",
         "rf_pairs: tree 1 has an edge without a length: wrf and kf need every edge's length\n", 1},
        {"trees with an option for matrices", "((a,b),c,d);\n", {"in.txt", "--tolerance", "relative"}, "",
         "rf_pairs: --tolerance applies to matrices, and in.txt holds trees" + SEE_HELP, 2},
        {"a bad tree file", "((a,b),c,d);\n((a,b),c d);\n", {"in.txt"}, "",
         "rf_pairs: in.txt, line 2, column 10: found \"d\", expected \",\" or \")\", or \";\" at the end of the tree\n", 1},
        // Distances that weigh the splits by their lengths, checked by hand.
        {"edge lengths alone differ: rf 0", LENGTHS, {"in.txt"},
         "matrix\t1\t2\t3\t4\t5\n1\t0\t2\t1\t0\t0\n2\t2\t0\t1\t2\t2\n3\t1\t1\t0\t1\t1\n4\t0\t2\t1\t0\t0\n"
         "5\t0\t2\t1\t0\t0\n", "", 0},
        {"weighted Robinson-Foulds", LENGTHS, {"in.txt", "--metric", "wrf"},
         "matrix\t1\t2\t3\t4\t5\n1\t0\t2\t1\t0.5\t2\n2\t2\t0\t1\t1.5\t4\n3\t1\t1\t0\t0.5\t3\n"
         "4\t0.5\t1.5\t0.5\t0\t2.5\n5\t2\t4\t3\t2.5\t0\n", "", 0},
        {"branch score", LENGTHS, {"in.txt", "--metric", "kf"},
         "matrix\t1\t2\t3\t4\t5\n1\t0\t1.41421356237\t1\t0.5\t2\n2\t1.41421356237\t0\t1\t1.11803398875\t2.44948974278\n"
         "3\t1\t1\t0\t0.5\t2.2360679775\n4\t0.5\t1.11803398875\t0.5\t0\t2.06155281281\n"
         "5\t2\t2.44948974278\t2.2360679775\t2.06155281281\t0\n", "", 0},
        {"branch score, first row of four, NA, Newick", "4\n" + SHORT_34 + SKEWED + LONG_LEAF_1 + SHORT_34 + "garbage",
         {"in.txt", "--metric", "kf", "--first", "-m", "4", "--newick", "out.nwk"}, "matrix\t1\t2\t3\t4\n1\t0\tNA\t2.06155281281\t0\n",
         "rf_pairs: matrix 2: This is not an additive distance\n", 3,
         "(1:1,2:1,(3:1,4:1):0.5);\n\n(1:3,2:1,(3:1,4:1):1);\n(1:1,2:1,(3:1,4:1):0.5);\n"},
        {"weighted, two leaves: one edge", "2\n0 5\n5 0\n0 7\n7 0\n", {"in.txt", "--metric", "wrf"},
         "matrix\t1\t2\n1\t0\t2\n2\t2\t0\n", "", 0},
        {"two leaves", "2\n0 5\n5 0\n0 7\n7 0\n", {"in.txt", "--newick", "out.nwk"}, "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n", "", 0,
         "(1:5,2:0);\n(1:7,2:0);\n"},
        // Other programs' files: names reach the Newick lines; matrices whose
        // leaves come in another order are put in the first's.
        {"PHYLIP, two data sets, the second's leaves in another order",
         "4\nant  0 2 3 3\nbee  2 0 3 3\ncat  3 3 0 2\ndog  3 3 2 0\n"
         "4\ndog  0 3 2 3\ncat  3 0 3 2\nant  2 3 0 3\nbee  3 2 3 0\n",
         {"in.txt", "--newick", "out.nwk"}, "matrix\t1\t2\n1\t0\t2\n2\t2\t0\n", "", 0,
         "(ant:1,bee:1,(cat:1,dog:1):1);\n(ant:1,(bee:1,cat:1):1,dog:1);\n"},
        {"CSV as R writes it, a name Newick quotes", "\"\",\"a b\",\"c\",\"d\"\n\"a b\",0,2,2\n\"c\",2,0,2\n\"d\",2,2,0\n",
         {"in.txt", "in.txt", "--newick", "out.nwk"}, "matrix\t1\t2\n1\t0\t0\n2\t0\t0\n", "", 0,
         "('a b':1,c:1,d:1);\n('a b':1,c:1,d:1);\n"},
        {"names for a file of the programs' own format", "4\n" + EDGE_34, {"in.txt", "--leaf-names", "in.txt", "-m", "1",
         "--newick", "out.nwk"}, "", "rf_pairs: File in.txt holds more than 4 leaf names for 4 leaves\n", 1, ""},
        // Bad input: the reader's texts, exit 1, no table.
        {"bad entry", "4\n" + EDGE_34 + "0 x 3 3\n", {"in.txt"}, "",
         "rf_pairs: in.txt, line 6: Bad entry in matrix 2, row 1, column 2: found \"x\", expected a decimal number\n", 1},
        {"bad entry after one not additive, read ahead", "4\n" + EDGE_34 + EDGE_24 + STAR + EDGE_24 + SKEWED + STAR + EDGE_24 +
             "0 3 2 3\n3 0 x 2\n" + EDGE_24, {"in.txt"}, "",
         "rf_pairs: matrix 5: This is not an additive distance\nrf_pairs: in.txt, line 31: Bad entry in matrix 8, row 2, "
         "column 3: found \"x\", expected a decimal number\n", 1},
        {"ends inside a matrix", "4\n" + EDGE_34 + "0 2 3", {"in.txt"}, "",
         "rf_pairs: in.txt, line 6: Bad matrix number: the file ends inside a matrix (matrix 2)\n", 1},
        {"fewer matrices than -m", "4\n" + EDGE_34 + EDGE_24, {"in.txt", "-m", "3"}, "",
         "rf_pairs: Bad matrix number: the file holds 2 matrices, 3 asked for\n", 1},
        {"no matrix after n", "4\n", {"in.txt"}, "",
         "rf_pairs: in.txt, line 1: Bad matrix number: the file ends inside a matrix (matrix 1)\n", 1},
        {"n not a number", "four\n", {"in.txt"}, "",
         "rf_pairs: in.txt, line 1: Bad number of objects: found \"four\", expected a number of leaves, or a header row "
         "of names (--format names the format)\n", 1},
        {"n not a number, the format named", "four\n", {"in.txt", "--format", "rf"}, "",
         "rf_pairs: in.txt, line 1: Bad number of objects: found \"four\", expected a whole number of leaves, at least 2\n",
         1},
        {"n too large", "2147483647\n", {"in.txt"}, "", "rf_pairs: Data matrix is too large\n", 1},
        {"missing file", "", {"missing.txt"}, "", "rf_pairs: File missing.txt was not found\n", 1},
        {"a folder", "", {"."}, "", "rf_pairs: File . is a folder\n", 1},
        {"a loop of symbolic links", "", {"loop.txt"}, "",
         "rf_pairs: File loop.txt cannot be read: Too many levels of symbolic links\n", 1, std::nullopt, false,
         {{"loop.txt", "loop.txt", true}}, "", true},
        {"a word longer than any number", "4\n0 " + std::string(4097, '1') + " 3 3\n", {"in.txt"}, "",
         "rf_pairs: in.txt, line 2: Bad entry in matrix 1, row 1, column 2: found \"" + std::string(40, '1') +
             "...\", expected a decimal number\n", 1},
        {"Newick file cannot be written", FOUR, {"in.txt", "--newick", "/dev/full"}, "",
         "rf_pairs: File /dev/full could not be written\n", 1, std::nullopt, false, {}, "", true},
        {"Newick file cannot be created", FOUR, {"in.txt", "--newick", "no/such/folder"}, "",
         "rf_pairs: File no/such/folder cannot be created\n", 1},
        // The command line: exit 2.
        {"no file", FOUR, {}, "", "rf_pairs: no matrix file given" + SEE_HELP, 2},
        {"two files, their matrices in turn", "4\n" + EDGE_34 + EDGE_24, {"in.txt", "-m", "3", "in.txt"},
         "matrix\t1\t2\t3\n1\t0\t2\t0\n2\t2\t0\t2\n3\t0\t2\t0\n", "", 0},
        {"unknown format", FOUR, {"in.txt", "--format", "nexml"}, "", "rf_pairs: --format needs auto, rf, phylip, csv, tsv, newick or nexus" + SEE_HELP, 2},
        {"unknown option", FOUR, {"in.txt", "--normalized-ish"}, "", "rf_pairs: unknown option --normalized-ish" + SEE_HELP, 2},
        {"-m 0", FOUR, {"in.txt", "-m", "0"}, "", "rf_pairs: -m needs a whole number of matrices, at least 1" + SEE_HELP, 2},
        {"-m without a number", FOUR, {"in.txt", "-m"}, "", "rf_pairs: -m needs a whole number of matrices, at least 1" + SEE_HELP, 2},
        {"--metric without a name", FOUR, {"in.txt", "--metric"}, "", "rf_pairs: --metric needs rf, wrf or kf" + SEE_HELP, 2},
        {"unknown metric", FOUR, {"in.txt", "--metric", "RF"}, "", "rf_pairs: --metric needs rf, wrf or kf" + SEE_HELP, 2},
        {"normalised weighted distances", FOUR, {"in.txt", "--metric", "kf", "--normalised"}, "",
         "rf_pairs: --normalised divides Robinson-Foulds distances by their largest possible value, the inner edges of both "
         "trees; wrf and kf have no such bound" + SEE_HELP, 2},
        {"no tolerance", FOUR, {"in.txt", "--tolerance", "-1"}, "",
         "rf_pairs: --tolerance needs absolute, relative or a positive number" + SEE_HELP, 2},
        {"unknown method", FOUR, {"in.txt", "--method", "upgma"}, "",
         "rf_pairs: --method needs additive, nj or bionj" + SEE_HELP, 2},
        {"--newick without a name", FOUR, {"in.txt", "--newick"}, "", "rf_pairs: --newick needs a file name" + SEE_HELP, 2},
        {"help", FOUR, {"in.txt", "--help"}, "Usage: rf_pairs MATRIX_FILE... [options]\n", "", 0, std::nullopt, true},
        {"version", FOUR, {"--version"}, "rf_pairs 1.2.0\n", "", 0},
    };
}

TEST(PairsEndToEnd, Scenarios) {
    for (const PairsCase& c : cases()) {
        if (c.posix_only && runs_windows_build()) {
            continue;
        }
        SCOPED_TRACE(c.name);
        const RunResult run = run_rf_pairs({{{"in.txt", c.matrix_file}}, c.links}, c.arguments, c.output_name);
        EXPECT_EQ(run.exit_code, c.exit_code);
        const std::string out = as_written(c.out);
        EXPECT_EQ(c.out_is_prefix ? run.console.substr(0, out.size()) : run.console, out);
        EXPECT_EQ(run.errors, as_written(c.errors));
        const auto newick = run.files.find("out.nwk");
        EXPECT_EQ(newick == run.files.end() ? std::nullopt : std::optional(newick->second),
                  c.newick ? std::optional(as_written(*c.newick)) : std::nullopt);
        EXPECT_EQ(run.files.at("in.txt"), c.matrix_file) << "the matrix file is never written";
    }
}

// How a test names a file: as it is, by another path, through a folder
// and back, by a symbolic link, by a hard link (a file that exists only).
enum class Spelling { same, dot, up_and_back, symbolic, hard };

struct Spelled {
    std::string name;
    std::vector<Link> links;
};

Spelled spelled(const std::string& file, Spelling how) {
    switch (how) {
    case Spelling::same:
        return {file, {}};
    case Spelling::dot:
        return {"./" + file, {}};
    case Spelling::up_and_back:
        return {"sub/../" + file, {}};
    case Spelling::symbolic:
        return {"link", {{"link", file, true}}};
    case Spelling::hard:
        break;
    }
    return {"hard", {{"hard", file, false}}};
}

constexpr std::array ANY_SPELLING{Spelling::same, Spelling::dot, Spelling::up_and_back, Spelling::symbolic, Spelling::hard};

// One run that names some file twice, once to write it.
struct CollisionCase {
    std::string name;
    std::vector<std::string> arguments;
    std::vector<Link> links;
    std::string message; // after "rf_pairs: "
    std::string output_name = ""; // standard output appended to this file of the folder
    bool into_pipe = false;       // standard output a pipe
    // Wine can tell neither an inherited standard output nor a link to a
    // file not yet made.
    bool posix_only = false;
};

// What every collision run starts from: a matrix file and its leaves'
// names to read, an output file that already holds something, a file
// for standard output, and a folder to go through and back.
const std::map<std::string, std::string> COLLISION_FILES{
    {"in.txt", FOUR}, {"names.txt", "a\nb\nc\nd\n"}, {"out.txt", "kept\n"}, {"out.tsv", ""}};
const std::vector<std::string> READ{"in.txt", "--leaf-names", "names.txt"};

struct OutputOption {
    std::string option;
    std::string holds;
};
const std::array OUTPUT_OPTIONS{OutputOption{"--newick", "the trees"}, OutputOption{"--misfit", "the misfits"}};

std::vector<std::string> joined(std::vector<std::string> words, const std::vector<std::string>& more) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

std::vector<CollisionCase> collision_cases() {
    std::vector<CollisionCase> cases;
    const std::array<std::string, 2> inputs{"in.txt", "names.txt"};
    for (const Spelling how : ANY_SPELLING) {
        for (const std::string& input : inputs) {
            const Spelled file = spelled(input, how);
            const std::string named = file.name + (file.links.empty() ? "" : " (" + input + ")");
            // An output option onto an input.
            for (const OutputOption& output : OUTPUT_OPTIONS) {
                cases.push_back({output.option + " onto " + named, joined(READ, {output.option, file.name}),
                                 file.links, "File " + file.name + " is the input file"});
            }
            // Standard output onto an input, named on the command line so.
            std::vector<std::string> arguments = READ;
            std::replace(arguments.begin(), arguments.end(), input, file.name);
            cases.push_back({"standard output onto " + named, arguments, file.links,
                             "standard output is the input file " + file.name, input, false, true});
        }
        // An output option onto standard output, a file.
        const Spelled table = spelled("out.tsv", how);
        for (const OutputOption& output : OUTPUT_OPTIONS) {
            cases.push_back({output.option + " onto standard output as " + table.name,
                             joined(READ, {output.option, table.name}), table.links,
                             "File " + table.name + " is standard output too: the table and " + output.holds +
                                 " would be mixed",
                             "out.tsv", false, true});
        }
        // Two output options onto one file, there already or not yet.
        for (const std::string& target : {std::string("out.txt"), std::string("new.txt")}) {
            if (target == "new.txt" && how == Spelling::hard) {
                continue;
            }
            const Spelled misfit = spelled(target, how);
            cases.push_back({"--newick " + target + " and --misfit " + misfit.name,
                             joined(READ, {"--newick", target, "--misfit", misfit.name}), misfit.links,
                             "File " + misfit.name + " is the --newick file too: the trees and the misfits would be mixed",
                             "", false, target == "new.txt" && how == Spelling::symbolic});
        }
    }
    // An output option onto standard output, a pipe, by its names.
    for (const std::string name : {"/dev/stdout", "/proc/self/fd/1", "/dev/fd/1"}) {
        for (const OutputOption& output : OUTPUT_OPTIONS) {
            cases.push_back({output.option + " " + name + " into a pipe", joined(READ, {output.option, name}), {},
                             "File " + name + " is standard output too: the table and " + output.holds + " would be mixed",
                             "", true, true});
        }
    }
    cases.push_back({"--misfit first on the command line", joined(READ, {"--misfit", "new.txt", "--newick", "./new.txt"}),
                     {}, "File new.txt is the --newick file too: the trees and the misfits would be mixed"});
    // - is no name for standard output, which holds the table, nor a file's.
    for (const OutputOption& output : OUTPUT_OPTIONS) {
        cases.push_back({output.option + " -", joined(READ, {output.option, "-"}), {},
                         output.option + " -: standard output holds the table; name a file (./- for one called -)" +
                             SEE_HELP.substr(0, SEE_HELP.size() - 1)});
    }
    return cases;
}

// Every output option written onto every input and onto every other
// output, standard output among them, under every spelling: refused before
// anything is opened for writing, so that every file keeps its bytes and
// no file is made.
TEST(PairsEndToEnd, NoOutputOntoAnInputOrAnotherOutput) {
    for (const CollisionCase& c : collision_cases()) {
        if (c.posix_only && runs_windows_build()) {
            continue;
        }
        SCOPED_TRACE(c.name);
        const FolderContents contents{COLLISION_FILES, c.links, {"sub"}};
        const RunResult run =
            c.into_pipe ? run_rf_pairs_into_pipe(contents, c.arguments) : run_rf_pairs(contents, c.arguments, c.output_name);
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_EQ(run.errors, as_written("rf_pairs: " + c.message + "\n"));
        EXPECT_EQ(run.console, "");
        std::map<std::string, std::string> untouched = COLLISION_FILES;
        for (const Link& link : c.links) {
            if (COLLISION_FILES.contains(link.target)) { // a link to a file not yet made is no file
                untouched[link.name] = COLLISION_FILES.at(link.target);
            }
        }
        EXPECT_EQ(run.files, untouched);
    }
}

// The leaves' names of an rf file: one per leaf, or a one-line error that
// names the file; never silently none.
TEST(PairsEndToEnd, LeafNamesFile) {
    struct NamesCase {
        const char* name;
        std::optional<std::string> names; // names.txt; nothing: none
        std::string names_file;           // as given to --leaf-names
        std::string errors;
        std::string newick = ""; // out.nwk afterwards: empty when the run stopped
        std::vector<Link> links = {};
        bool posix_only = false;
    };
    const std::vector<NamesCase> cases{
        {"one per leaf, CR LF, blank lines, no last line end", "\r\na\r\nb\r\n\r\n \t\nc\r\nd", "names.txt", "",
         "(a:1,b:1,(c:1,d:1):1);\n"},
        {"no such file", std::nullopt, "names.txt", "File names.txt was not found"},
        {"a loop of links", std::nullopt, "names.txt", "File names.txt cannot be read: Too many levels of symbolic links",
         "", {{"names.txt", "names.txt", true}}, true},
        {"a folder", std::nullopt, "sub", "File sub is a folder"},
        {"empty", "", "names.txt", "File names.txt holds no leaf names"},
        {"blank lines only", "\n \r\n\t\n", "names.txt", "File names.txt holds no leaf names"},
        {"the null device", std::nullopt, "/dev/null", "File /dev/null holds no leaf names", "", {}, true},
        {"fewer names than leaves", "a\nb\nc\n", "names.txt", "File names.txt holds 3 leaf names for 4 leaves"},
        {"more names than leaves", "a\nb\nc\nd\ne\n", "names.txt", "File names.txt holds more than 4 leaf names for 4 leaves"},
        {"a name twice", "a\nb\na\nd\n", "names.txt", "File names.txt has the name \"a\" twice"},
        {"a name longer than any word", "a\n" + std::string(4097, 'b') + "\nc\nd\n", "names.txt",
         "File names.txt, line 2: a name longer than 4096 bytes"},
        {"endless zeros", std::nullopt, "/dev/zero", "File /dev/zero, line 1: a name longer than 4096 bytes", "", {},
         true},
    };
    for (const NamesCase& c : cases) {
        if (c.posix_only && runs_windows_build()) {
            continue;
        }
        SCOPED_TRACE(c.name);
        FolderContents contents{{{"in.txt", FOUR}}, c.links, {"sub"}};
        if (c.names) {
            contents.files["names.txt"] = *c.names;
        }
        const RunResult run = run_rf_pairs(contents, {"in.txt", "-m", "1", "--leaf-names", c.names_file, "--newick", "out.nwk"});
        EXPECT_EQ(run.exit_code, c.errors.empty() ? 0 : 1);
        EXPECT_EQ(run.errors, c.errors.empty() ? "" : as_written("rf_pairs: " + c.errors + "\n"));
        EXPECT_EQ(run.files.at("out.nwk"), as_written(c.newick));
    }
}

// One line per matrix, in the order read: NA for a matrix left out, the
// largest difference from its tree and that over its largest entry.
TEST(PairsEndToEnd, MisfitFile) {
    const RunResult run = run_rf_pairs({{{"in.txt", "4\n" + EDGE_34 + NEGATIVE + NO_TREE_METRIC + SKEWED}}},
                                       {"in.txt", "--misfit", "misfit.tsv"});
    EXPECT_EQ(run.exit_code, 3);
    EXPECT_EQ(run.files.at("misfit.tsv"), as_written("matrix\tmisfit\trelative\n1\t0\t0\n2\tNA\tNA\n3\t2\t0.4\n4\tNA\tNA\n"));
}

} // namespace
} // namespace rf::testing
