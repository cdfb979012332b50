#include "pairs_run.hpp"

#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "catalog_thread.hpp"
#include "distance_table.hpp"
#include "engine_types.hpp"
#include "file_identity.hpp"
#include "input_file.hpp"
#include "matrix_file.hpp"
#include "matrix_sequence.hpp"
#include "newick.hpp"
#include "tree_reconstruction.hpp"

namespace rf {

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_BAD_INPUT = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_SKIPPED = 3;

// The same texts as rf_compare's, one line each, named as this program's.
void report(std::FILE* err, const std::string& text) {
    std::fputs(("rf_pairs: " + text + "\n").c_str(), err);
}

// Storage for the tree being rebuilt; only the catalog keeps anything of it.
struct TreeStorage {
    TreeStorage(std::int32_t n, bool keep_lengths) : matrix(n), table(n), list(n), catalog(n, keep_lengths) {}
    DistanceMatrix matrix;
    ClusterTable table;
    ClusterList list;
    CatalogThread catalog;
};

class PairsRun {
public:
    PairsRun(const PairsOptions& options, std::FILE* err) : options_(options), err_(err) {}

    // Reads and rebuilds every matrix asked for; the exit code when the input
    // stops the run.
    std::optional<int> read_trees(MatrixFile& input, TreeStorage& storage) {
        MatrixSequence matrices(input, options_.matrix_count);
        for (std::int64_t j = 1;; ++j) {
            const NextMatrix next = matrices.next(storage.matrix);
            if (next.status == NextMatrix::Status::no_more) {
                return std::nullopt;
            }
            if (next.status == NextMatrix::Status::bad_input) {
                return stop(next.message);
            }
            if (!add_tree(j, storage)) {
                return stop("File " + *options_.newick_file + " could not be written");
            }
        }
    }

    bool open_newick_file() {
        if (options_.newick_file) {
            newick_.open(*options_.newick_file);
            if (!newick_) {
                report(err_, "File " + *options_.newick_file + " cannot be created");
                return false;
            }
        }
        return true;
    }

    [[nodiscard]] bool close_newick_file() {
        if (newick_.is_open()) {
            newick_.close();
            return !newick_.fail();
        }
        return true;
    }

    [[nodiscard]] static NumberedTrees trees(TreeStorage& storage) { return storage.catalog.finish(); }
    [[nodiscard]] bool skipped_any() const noexcept { return skipped_any_; }

private:
    // False when the Newick file could not be written.
    bool add_tree(std::int64_t j, TreeStorage& storage) {
        ClusterTree tree;
        const std::int32_t count = rebuild_tree(storage.matrix, storage.table, storage.list, tree);
        if (count == 0) {
            report(err_, "matrix " + std::to_string(j) + ": This is not an additive distance");
            skipped_any_ = true;
        }
        bool written = true;
        if (newick_.is_open()) {
            line_.clear();
            if (count != 0) {
                append_newick(tree, count, line_);
            } else {
                line_.push_back('\n'); // the line of a matrix that was not rebuilt stays empty
            }
            written = static_cast<bool>(newick_ << line_);
        }
        storage.catalog.add_tree(std::move(tree), count);
        return written;
    }

    int stop(const std::string& text) {
        report(err_, text);
        return EXIT_BAD_INPUT;
    }

    const PairsOptions& options_;
    std::FILE* err_;
    std::ofstream newick_;
    std::string line_;
    bool skipped_any_ = false;
};

// Nothing is written over the matrix file: neither the Newick file nor the
// table may be it, however named.
bool writes_over_input(const PairsOptions& options, std::FILE* out, std::FILE* err) {
    if (options.newick_file && is_same_file(options.matrix_file, *options.newick_file)) {
        report(err, "File " + *options.newick_file + " is the input file");
        return true;
    }
    const std::optional<FileIdentity> table = identity_of_stream(out);
    if (table && table == identity_of_file(options.matrix_file)) {
        report(err, "standard output is the input file " + options.matrix_file);
        return true;
    }
    return false;
}

} // namespace

int run_rf_pairs(const PairsOptions& options, std::FILE* out, std::FILE* err, const ReaderSettings& reading) {
    if (writes_over_input(options, out, err)) {
        return EXIT_USAGE;
    }
    std::optional<InputFile> file = InputFile::open(options.matrix_file);
    if (!file) {
        report(err, "File " + options.matrix_file + " was not found");
        return EXIT_BAD_INPUT;
    }
    MatrixFile input(std::move(*file), reading);
    const LeafCountResult leaves = input.read_leaf_count();
    if (leaves.status == LeafCountStatus::bad) {
        report(err, "Bad number of objects");
        return EXIT_BAD_INPUT;
    }
    std::unique_ptr<TreeStorage> storage;
    try {
        if (leaves.status == LeafCountStatus::ok) {
            storage = std::make_unique<TreeStorage>(leaves.leaf_count, options.metric != Metric::rf);
        }
    } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
    }
    if (!storage) {
        report(err, "Data matrix is too large");
        return EXIT_BAD_INPUT;
    }
    PairsRun run(options, err);
    if (!run.open_newick_file()) {
        return EXIT_BAD_INPUT;
    }
    if (const std::optional<int> stopped = run.read_trees(input, *storage)) {
        return *stopped;
    }
    if (!run.close_newick_file()) {
        report(err, "File " + *options.newick_file + " could not be written");
        return EXIT_BAD_INPUT;
    }
    const NumberedTrees trees = PairsRun::trees(*storage);
    storage.reset(); // the matrix is not needed for the table
    if (!write_distance_table(out, trees, {options.metric, options.normalised, options.first_only}, reading.threads)) {
        report(err, "standard output could not be written");
        return EXIT_BAD_INPUT;
    }
    return run.skipped_any() ? EXIT_SKIPPED : EXIT_DONE;
}

} // namespace rf
