// One run of rf_pairs: read the matrix file, rebuild every tree (writing it
// to the Newick file when asked), then write the table of distances to
// standard output. Messages go to `err`, one line each; returns the exit
// code: 0 done, 1 bad input (or a file that could not be written, a
// standard output closed at start, or memory that ran out), 2 asked to
// write over an input file or two outputs into one file (standard output
// among them), 3 done but some matrix was not additive.
#pragma once

#include <cstdio>

#include "line_file.hpp"
#include "pairs_options.hpp"
#include "reader_settings.hpp"

namespace rf {

// How the output files are written: the system's write, or a test's; and
// whether standard output was closed when the program started, so that
// the table would go nowhere.
struct OutputCalls {
    WriteCall write;
    bool standard_output_closed = false;
};

// What is said when standard output was closed at start.
inline constexpr const char* STANDARD_OUTPUT_CLOSED =
    "standard output could not be written: it was closed when rf_pairs started";

[[nodiscard]] int run_rf_pairs(const PairsOptions& options, const OutputCalls& output, std::FILE* err,
                               const ReaderSettings& reading);

} // namespace rf
