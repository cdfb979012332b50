#include "pairs_run.hpp"

#include <optional>
#include <string>

#include "distance_table.hpp"
#include "file_collisions.hpp"
#include "guarded_call.hpp"
#include "line_file.hpp"
#include "matrix_source.hpp"
#include "messages.hpp"
#include "newick.hpp"
#include "short_decimal.hpp"
#include "rf_compare/tree_reader.hpp"
#include "tree_collector.hpp"

namespace rf {

namespace {

namespace api = rf_compare::detail;

constexpr int EXIT_DONE = 0;
constexpr int EXIT_BAD_INPUT = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_SKIPPED = 3;
// Output gathered before it goes to the system: the table may be megabytes.
constexpr std::size_t GATHERED_BYTES = std::size_t{1} << 20;
constexpr int STANDARD_OUTPUT = 1;

// The library's texts, one line each, named as this program's; pieces
// joined without allocating, as the line may say that memory ran out.
template <typename... Pieces>
void report(std::FILE* err, const Pieces&... pieces) {
    std::fputs("rf_pairs: ", err);
    (std::fwrite(std::string_view(pieces).data(), 1, std::string_view(pieces).size(), err), ...);
    std::fputs("\n", err);
}

// Each tree's misfit, as a table: "matrix", "misfit", "relative", then one
// line per matrix, NA for one left out. False when it could not be written.
bool write_misfits(const std::string& name, const std::vector<api::TreeVerdict>& verdicts, const WriteCall& write) {
    std::optional<LineFile> file = LineFile::create(name, write);
    if (!file) {
        return false;
    }
    file->gather_up_to(GATHERED_BYTES);
    bool written = file->write("matrix\tmisfit\trelative\n");
    char number[SHORT_DECIMAL_MAX_CHARS];
    std::string line;
    for (std::size_t k = 0; k < verdicts.size() && written; ++k) {
        line = std::to_string(k + 1);
        if (!verdicts[k].rebuilt) {
            line += "\tNA\tNA\n";
        } else {
            line.append("\t").append(number, write_short_decimal(number, verdicts[k].misfit.absolute));
            line.append("\t").append(number, write_short_decimal(number, verdicts[k].misfit.relative)).append("\n");
        }
        written = file->write(line);
    }
    return file->close() && written;
}

// Thrown out of the collector when the Newick file cannot take a line.
struct NewickUnwritten {};

// Where the rebuilt trees go, one Newick line each, the line of a matrix
// that was not rebuilt empty.
class NewickLines {
public:
    explicit NewickLines(std::optional<LineFile> file) : file_(std::move(file)) {
        if (file_) {
            file_->gather_up_to(GATHERED_BYTES);
        }
    }

    void write(const std::optional<ClusterTree>& tree, const std::vector<std::string>& names) {
        if (!file_) {
            return;
        }
        line_.clear();
        if (tree) {
            append_newick(*tree, line_, names.empty() ? nullptr : &names);
        } else {
            line_.push_back('\n');
        }
        if (!file_->write(line_)) {
            throw NewickUnwritten();
        }
    }
    void close() {
        if (file_ && !file_->close()) {
            throw NewickUnwritten();
        }
    }

private:
    std::optional<LineFile> file_;
    std::string line_;
};

// A file the run writes, named on its command line.
struct OutputFile {
    const char* option;
    const char* holds; // for the message when it would be mixed with another
    std::string name;
};

// Every output option, in the order of --help; a later one is one more line.
std::vector<OutputFile> output_files(const PairsOptions& options) {
    std::vector<OutputFile> outputs;
    if (options.newick_file) {
        outputs.push_back({"--newick", "the trees", *options.newick_file});
    }
    if (options.misfit_file) {
        outputs.push_back({"--misfit", "the misfits", *options.misfit_file});
    }
    return outputs;
}

// Every file the run reads: each must survive the run as it was.
std::vector<std::string> input_files(const PairsOptions& options) {
    std::vector<std::string> inputs = options.matrix_files;
    if (options.leaf_names_file) {
        inputs.push_back(*options.leaf_names_file);
    }
    return inputs;
}

// No input is written over, and no two outputs, the table among them, go
// to one file, however named; checked before any output is opened.
bool files_collide(const PairsOptions& options, std::FILE* err) {
    const std::vector<OutputFile> outputs = output_files(options);
    const std::vector<std::string> inputs = input_files(options);
    std::vector<std::string> output_names;
    for (const OutputFile& output : outputs) {
        output_names.push_back(output.name);
    }
    const std::optional<Collision> collision = first_collision(inputs, output_names, STANDARD_OUTPUT);
    if (!collision) {
        return false;
    }
    if (collision->kind == Collision::Kind::table_is_input) {
        report(err, "standard output is the input file ", inputs[collision->other]);
        return true;
    }
    const OutputFile& output = outputs[collision->output];
    if (collision->kind == Collision::Kind::output_is_input) {
        report(err, "File ", output.name, " is the input file");
    } else if (collision->kind == Collision::Kind::output_is_table) {
        report(err, "File ", output.name, " is standard output too: the table and ", output.holds, " would be mixed");
    } else {
        const OutputFile& earlier = outputs[collision->other];
        report(err, "File ", output.name, " is the ", earlier.option, " file too: ", earlier.holds, " and ",
               output.holds, " would be mixed");
    }
    return true;
}

// The first option given that only matrices can take, or null.
const char* matrix_option(const PairsOptions& options) {
    if (options.leaf_names_file) {
        return "--leaf-names";
    }
    if (options.misfit_file) {
        return "--misfit";
    }
    if (options.strict) {
        return "--strict";
    }
    if (options.tolerance.scale != rf_compare::Tolerance::Scale::absolute || options.tolerance.zero != rf_compare::Tolerance().zero) {
        return "--tolerance";
    }
    if (options.method != rf_compare::RebuildMethod::additive) {
        return "--method";
    }
    return nullptr;
}

} // namespace

int run_rf_pairs(const PairsOptions& options, const OutputCalls& output, std::FILE* err, const ReaderSettings& reading) {
    bool tree_files = false;
    try {
        if (api::guarded("checking the files", [&] { return files_collide(options, err); })) {
            return EXIT_USAGE;
        }
        tree_files = rf_compare::is_tree_file(options.matrix_files.front(), options.format);
    } catch (const rf_compare::Error& e) {
        report(err, std::string_view(e.what()));
        return EXIT_BAD_INPUT;
    }
    if (tree_files) {
        if (const char* option = matrix_option(options)) {
            report(err, option, " applies to matrices, and ", options.matrix_files.front(), " holds trees",
                   "; see rf_pairs --help");
            return EXIT_USAGE;
        }
    }
    bool skipped_any = false;
    NumberedTrees trees;
    std::vector<api::TreeVerdict> verdicts;
    try {
        std::optional<LineFile> newick_file;
        if (options.newick_file) {
            newick_file = LineFile::create(*options.newick_file, output.write);
            if (!newick_file) {
                report(err, "File ", *options.newick_file, " cannot be created");
                return EXIT_BAD_INPUT;
            }
        }
        NewickLines newick(std::move(newick_file));
        const api::CollectorSettings settings{
            true, options.metric != Metric::rf, reading.threads, {options.tolerance, options.strict, options.method}, true};
        if (tree_files) {
            trees = api::guarded("reading the trees", [&] {
                const std::vector<std::string>* names = nullptr;
                api::TreeCollector collector(settings, [&](std::size_t, const std::optional<ClusterTree>& tree,
                                                           const api::TreeVerdict&) { newick.write(tree, *names); });
                names = &collector.names();
                rf_compare::TreeReader reader(options.matrix_files, options.format);
                while (!options.matrix_count || reader.count() < *options.matrix_count) {
                    const std::optional<rf_compare::Tree> tree = reader.next();
                    if (!tree) {
                        break;
                    }
                    if (options.metric != Metric::rf && !tree->has_lengths()) {
                        throw rf_compare::Error(rf_compare::ErrorKind::bad_input,
                                                "tree " + std::to_string(reader.count()) +
                                                    " has an edge without a length: wrf and kf need every edge's length");
                    }
                    collector.add(*tree);
                }
                if (options.matrix_count && reader.count() < *options.matrix_count) {
                    throw rf_compare::Error(rf_compare::ErrorKind::bad_input,
                                            "the files hold " + std::to_string(reader.count()) + " trees, " +
                                                std::to_string(*options.matrix_count) + " asked for");
                }
                verdicts = collector.verdicts();
                return collector.finish();
            });
        } else {
            api::MatrixSource input = api::guarded("reading the matrix files", [&] {
                return api::MatrixSource(options.matrix_files,
                                         {options.matrix_count, options.format, {}, options.leaf_names_file}, reading);
            });
            static_cast<void>(input.leaf_count());
            trees = api::guarded(api::REBUILDING_TREES, [&] {
                api::TreeCollector collector(
                    settings,
                    [&](std::size_t index, const std::optional<ClusterTree>& tree, const api::TreeVerdict& verdict) {
                        if (!tree) {
                            report(err, "matrix ", std::to_string(index + 1), ": ", verdict.left_out);
                            skipped_any = true;
                        }
                        newick.write(tree, input.names());
                    });
                while (const DistanceMatrix* matrix = input.next()) {
                    collector.add(*matrix, input.names());
                }
                verdicts = collector.verdicts();
                return collector.finish();
            });
        }
        newick.close();
        if (options.misfit_file && !write_misfits(*options.misfit_file, verdicts, output.write)) {
            report(err, "File ", *options.misfit_file, " could not be written");
            return EXIT_BAD_INPUT;
        }
    } catch (const rf_compare::Error& e) {
        report(err, std::string_view(e.what()));
        return EXIT_BAD_INPUT;
    } catch (const NewickUnwritten&) {
        report(err, "File ", options.newick_file.value_or(""), " could not be written");
        return EXIT_BAD_INPUT;
    }
    if (output.standard_output_closed) {
        report(err, STANDARD_OUTPUT_CLOSED);
        return EXIT_BAD_INPUT;
    }
    try {
        LineFile out = LineFile::standard_output(output.write);
        out.gather_up_to(GATHERED_BYTES);
        const bool written = api::guarded("the table", [&] {
            return write_distance_table(out, trees, {options.metric, options.normalised, options.first_only},
                                        reading.threads);
        });
        if (!written) {
            report(err, "standard output could not be written");
            return EXIT_BAD_INPUT;
        }
        const std::string warning = api::guarded("a warning", [&] { return api::misfit_warning(verdicts); });
        if (!warning.empty()) {
            report(err, warning, warning.ends_with("may help") ? " (--tolerance relative)" : "",
                   "; --method nj builds trees that do not depend on it; see --misfit and --strict");
        }
    } catch (const rf_compare::Error& e) {
        report(err, std::string_view(e.what()));
        return EXIT_BAD_INPUT;
    }
    return skipped_any ? EXIT_SKIPPED : EXIT_DONE;
}

} // namespace rf
