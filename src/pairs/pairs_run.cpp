#include "pairs_run.hpp"

#include <fstream>
#include <new>
#include <optional>
#include <string>

#include "distance_table.hpp"
#include "file_identity.hpp"
#include "matrix_source.hpp"
#include "messages.hpp"
#include "newick.hpp"
#include "tree_collector.hpp"

namespace rf {

namespace {

namespace api = rf_compare::detail;

constexpr int EXIT_DONE = 0;
constexpr int EXIT_BAD_INPUT = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_SKIPPED = 3;

// The library's texts, one line each, named as this program's.
void report(std::FILE* err, std::string_view text) {
    std::fputs("rf_pairs: ", err);
    std::fwrite(text.data(), 1, text.size(), err);
    std::fputs("\n", err);
}

// Where the rebuilt trees go, one Newick line each, the line of a matrix
// that was not rebuilt empty.
class NewickFile {
public:
    explicit NewickFile(const std::optional<std::string>& name) : name_(name) {}

    [[nodiscard]] bool open() {
        if (name_) {
            file_.open(*name_);
            return static_cast<bool>(file_);
        }
        return true;
    }
    [[nodiscard]] bool write(const std::optional<ClusterTree>& tree) {
        if (!file_.is_open()) {
            return true;
        }
        line_.clear();
        if (tree) {
            append_newick(*tree, line_);
        } else {
            line_.push_back('\n');
        }
        return static_cast<bool>(file_ << line_);
    }
    [[nodiscard]] bool close() {
        if (file_.is_open()) {
            file_.close();
            return !file_.fail();
        }
        return true;
    }
    [[nodiscard]] std::string unwritten() const { return "File " + name_.value_or("") + " could not be written"; }

private:
    std::optional<std::string> name_;
    std::ofstream file_;
    std::string line_;
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

// Thrown out of the collector when the Newick file cannot take a line.
struct NewickUnwritten {};

} // namespace

int run_rf_pairs(const PairsOptions& options, std::FILE* out, std::FILE* err, const ReaderSettings& reading) {
    if (writes_over_input(options, out, err)) {
        return EXIT_USAGE;
    }
    NewickFile newick(options.newick_file);
    bool skipped_any = false;
    NumberedTrees trees;
    try {
        api::MatrixSource input(options.matrix_file, options.matrix_count, reading);
        static_cast<void>(input.leaf_count());
        if (!newick.open()) {
            report(err, "File " + *options.newick_file + " cannot be created");
            return EXIT_BAD_INPUT;
        }
        api::TreeCollector collector(
            {true, options.metric != Metric::rf, reading.threads, {}},
            [&](std::size_t index, const std::optional<ClusterTree>& tree) {
                if (!tree) {
                    report(err, "matrix " + std::to_string(index + 1) + ": " + std::string(api::NOT_ADDITIVE));
                    skipped_any = true;
                }
                if (!newick.write(tree)) {
                    throw NewickUnwritten();
                }
            });
        while (const DistanceMatrix* matrix = input.next()) {
            collector.add(*matrix);
        }
        if (!newick.close()) {
            throw NewickUnwritten();
        }
        trees = collector.finish();
    } catch (const rf_compare::Error& e) {
        report(err, e.what());
        return EXIT_BAD_INPUT;
    } catch (const NewickUnwritten&) {
        report(err, newick.unwritten());
        return EXIT_BAD_INPUT;
    }
    if (!write_distance_table(out, trees, {options.metric, options.normalised, options.first_only}, reading.threads)) {
        report(err, "standard output could not be written");
        return EXIT_BAD_INPUT;
    }
    return skipped_any ? EXIT_SKIPPED : EXIT_DONE;
}

} // namespace rf
