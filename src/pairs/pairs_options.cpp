#include "pairs_options.hpp"

#include <string_view>
#include <system_error>

#include "number_parsing.hpp"

namespace rf {

namespace {

std::optional<std::int64_t> as_matrix_count(std::string_view word) {
    std::int64_t value = 0;
    const auto [ptr, ec] = parse_integer(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || value < 1) {
        return std::nullopt;
    }
    return value;
}

} // namespace

CommandLine parse_command_line(int argc, const char* const* argv) {
    PairsOptions options;
    for (int a = 1; a < argc; ++a) {
        const std::string_view arg = argv[a];
        const bool has_value = a + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            return InfoRequest::help;
        }
        if (arg == "--version") {
            return InfoRequest::version;
        }
        if (arg == "--normalised" || arg == "--normalized") {
            options.normalised = true;
        } else if (arg == "--first") {
            options.first_only = true;
        } else if (arg == "-m") {
            options.matrix_count = has_value ? as_matrix_count(argv[++a]) : std::nullopt;
            if (!options.matrix_count) {
                return UsageError{"-m needs a whole number of matrices, at least 1"};
            }
        } else if (arg == "--metric") {
            const std::optional<Metric> metric = has_value ? metric_named(argv[++a]) : std::nullopt;
            if (!metric) {
                return UsageError{"--metric needs rf, wrf or kf"};
            }
            options.metric = *metric;
        } else if (arg == "--newick" || arg == "--misfit") {
            if (!has_value) {
                return UsageError{std::string(arg) + " needs a file name"};
            }
            const std::string_view name = argv[++a];
            if (name == "-") { // not standard output, which holds the table, nor silently a file named so
                return UsageError{std::string(arg) + " -: standard output holds the table; name a file (./- for one called -)"};
            }
            (arg == "--newick" ? options.newick_file : options.misfit_file) = std::string(name);
        } else if (arg == "--format") {
            const std::optional<FileFormat> format = has_value ? rf_compare::file_format_named(argv[++a]) : std::nullopt;
            if (!format) {
                return UsageError{"--format needs auto, rf, phylip, csv, tsv, newick or nexus"};
            }
            options.format = *format;
        } else if (arg == "--threads") {
            std::int64_t count = 0;
            const std::string_view word = has_value ? argv[++a] : "";
            if (!has_value || parse_integer(word.data(), word.data() + word.size(), count).ec != std::errc{} || count < 0) {
                return UsageError{"--threads needs 0 (one per CPU) or a whole number of threads"};
            }
            options.threads = static_cast<std::size_t>(count);
        } else if (arg == "--method") {
            const std::optional<rf_compare::RebuildMethod> method =
                has_value ? rf_compare::rebuild_method_named(argv[++a]) : std::nullopt;
            if (!method) {
                return UsageError{"--method needs additive, nj or bionj"};
            }
            options.method = *method;
        } else if (arg == "--strict") {
            options.strict = true;
        } else if (arg == "--tolerance") {
            const std::optional<rf_compare::Tolerance> tolerance = has_value ? rf_compare::tolerance_named(argv[++a]) : std::nullopt;
            if (!tolerance) {
                return UsageError{"--tolerance needs absolute, relative or a positive number"};
            }
            options.tolerance = *tolerance;
        } else if (arg == "--leaf-names") {
            if (!has_value) {
                return UsageError{"--leaf-names needs a file name"};
            }
            options.leaf_names_file = argv[++a];
        } else if (arg.size() > 1 && arg.front() == '-') {
            return UsageError{"unknown option " + std::string(arg)};
        } else {
            options.matrix_files.emplace_back(arg);
        }
    }
    if (options.matrix_files.empty()) {
        return UsageError{"no matrix file given"};
    }
    if (options.normalised && options.metric != Metric::rf) {
        return UsageError{"--normalised divides Robinson-Foulds distances by their largest possible value, the "
                          "inner edges of both trees; wrf and kf have no such bound"};
    }
    return options;
}

const char* usage_text() {
    return "Usage: rf_pairs MATRIX_FILE... [options]\n"
           "       rf_pairs TREE_FILE... [options]\n"
           "Rebuilds the tree of every additive distance matrix in the MATRIX_FILEs, their\n"
           "matrices in the order given (or reads the trees of Newick or NEXUS files), and\n"
           "writes the distance of every tree to every other as a tab-separated table: a\n"
           "header line \"matrix 1 2 ... m\", then one line per tree, its number first. A\n"
           "matrix that is not additive gets NA in its row and column. Leaves are matched\n"
           "by name where the files name them.\n"
           "\n"
           "  -m M           read only the first M matrices or trees (the files must hold\n"
           "                 them)\n"
           "  --format NAME  the files' format (auto, the default, tells it from their\n"
           "                 first lines):\n"
           "                   rf      n, then n-by-n matrices of numbers (rf_compare's)\n"
           "                   phylip  PHYLIP distance matrices, one data set after\n"
           "                           another: square, lower- or upper-triangular,\n"
           "                           names of 10 characters or of one word, rows\n"
           "                           wrapped over any lines\n"
           "                   csv     a header row of names, then rows starting with\n"
           "                           their name, fields separated by , or ; (or rows\n"
           "                           of numbers alone); one matrix per file\n"
           "                   tsv     the same with tabs\n"
           "                   newick  trees: one or more Newick trees, each ending in ;\n"
           "                   nexus   trees: a NEXUS file's trees block, with or\n"
           "                           without a translate table\n"
           "                 A tree without the length of some edge is compared by rf\n"
           "                 only. --leaf-names, --misfit, --tolerance, --strict and\n"
           "                 --method are for matrices.\n"
           "  --leaf-names FILE  the leaves' names, one per line, one per leaf, for\n"
           "                 files in the rf format, which has none\n"
           "  --metric NAME  how two trees are compared, over every split (edge) of\n"
           "                 either tree, a and b its lengths in the two trees (0 in a\n"
           "                 tree without it), leaves' own edges included:\n"
           "                   rf   Robinson-Foulds: the splits found in one tree only\n"
           "                        (the default)\n"
           "                   wrf  weighted Robinson-Foulds: sum of |a - b|\n"
           "                   kf   Kuhner-Felsenstein branch score: sqrt(sum of (a - b)^2)\n"
           "                 wrf and kf are written with at most 12 significant digits\n"
           "  --normalised   rf only: divide each distance by its largest possible\n"
           "                 value, the inner edges of the two trees together (6 decimals)\n"
           "  --first        write row 1 only: the first tree against the others\n"
           "  --newick FILE  write every rebuilt tree to FILE, one Newick line per matrix,\n"
           "                 its leaves by name where the files name them\n"
           "  --misfit FILE  write to FILE how far each tree's path lengths are from its\n"
           "                 matrix: the largest |D[i][j] - path(i, j)|, and that over the\n"
           "                 matrix's largest entry (a tab-separated table)\n"
           "  --tolerance absolute|relative|T\n"
           "                 how lengths near zero are judged: absolute (the default, as\n"
           "                 rf_compare) takes branch points within 1e-5 of a node as the\n"
           "                 node and rejects offsets at or below -0.01; relative takes\n"
           "                 1e-5 and -0.01 of each matrix's largest entry, so that the\n"
           "                 unit makes no difference; a number T takes T and -1000 T\n"
           "  --strict       a matrix whose tree's path lengths differ from it by more\n"
           "                 than 1e-4 of its largest entry (no tree metric) is taken as\n"
           "                 not additive\n"
           "  --method NAME  how each matrix is made a tree:\n"
           "                   additive  the tree whose path lengths the matrix records,\n"
           "                             as rf_compare rebuilds it (the default): exact\n"
           "                             for a tree metric, else a tree that depends on\n"
           "                             the order of the leaves, or none\n"
           "                   nj        neighbor joining: a tree for any distance\n"
           "                             matrix (estimated from sequences, say), the\n"
           "                             same whatever the order of the leaves, and\n"
           "                             the additive tree for a tree metric\n"
           "                   bionj     BIONJ: neighbor joining weighed by variances\n"
           "                 Neighbor joining's inner edges no longer than the\n"
           "                 tolerance's zero (negative ones too) are merged, leaving\n"
           "                 polytomies; a negative leaf edge is given length 0, and\n"
           "                 --misfit measures the tree as it is written\n"
           "  --threads N    use at most N threads (0, the default: one per CPU); the\n"
           "                 results are the same for any N\n"
           "  --help         show this text\n"
           "  --version      show the version\n"
           "\n"
           "No output is written over an input, and no two outputs, standard output\n"
           "among them, go to one file, however named (./, a/../, a symbolic or hard\n"
           "link, /dev/stdout): such a run is refused before anything is written. A\n"
           "FILE of - is refused too, as standard output holds the table; ./- names\n"
           "a file called -. A standard output that was closed is an error.\n"
           "\n"
           "A matrix that is no distance matrix (not symmetric beyond 1e-4 of its largest\n"
           "entry, a negative entry, entries whose sums overflow) is left out like one\n"
           "that is not additive. When some matrix is no tree metric, one line on standard\n"
           "error says how many and by how much: such an additive tree depends on the\n"
           "order of the leaves.\n"
           "\n"
           "Exit status: 0 done, 1 bad input or an output that could not be written, 2 bad\n"
           "command line or files that collide, 3 done but some matrix was left out.\n";
}

} // namespace rf
