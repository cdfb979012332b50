// What rf_pairs is asked to do, read from its command line:
//   rf_pairs MATRIX_FILE... [-m M] [--format auto|rf|phylip|csv|tsv]
//            [--leaf-names FILE] [--metric rf|wrf|kf] [--normalised]
//            [--first] [--newick FILE] [--misfit FILE]
//            [--tolerance absolute|relative|NUMBER] [--strict]
//            [--method additive|nj|bionj] [--threads N]
//   rf_pairs --help | --version
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "metric.hpp"
#include "rf_compare/file_format.hpp"
#include "rf_compare/rebuild_method.hpp"
#include "rf_compare/tolerance.hpp"

namespace rf {

using rf_compare::FileFormat;

struct PairsOptions {
    std::vector<std::string> matrix_files;    // their matrices in this order
    std::optional<std::int64_t> matrix_count; // -m: the first M matrices only
    FileFormat format = FileFormat::automatic;
    std::optional<std::string> leaf_names_file; // names for files without, one per line
    Metric metric = Metric::rf;
    bool normalised = false;                  // each distance divided by its largest possible value
    bool first_only = false;                  // row 1 only: the first tree against the others
    std::optional<std::string> newick_file;   // where the rebuilt trees go, one Newick line each
    std::optional<std::string> misfit_file;   // where each tree's misfit goes, one line each
    rf_compare::Tolerance tolerance;
    bool strict = false;                      // a matrix that is no tree metric is not additive
    rf_compare::RebuildMethod method = rf_compare::RebuildMethod::additive;
    std::size_t threads = 0;                  // at most this many; 0: one per usable CPU
};

enum class InfoRequest { help, version };

// Options to run with, a request for information, or a usage error: its
// one-line message.
struct UsageError {
    std::string message;
};
using CommandLine = std::variant<PairsOptions, InfoRequest, UsageError>;

[[nodiscard]] CommandLine parse_command_line(int argc, const char* const* argv);

// The text of --help.
[[nodiscard]] const char* usage_text();

} // namespace rf
