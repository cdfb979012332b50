// One run of rf_pairs: read the matrix file, rebuild every tree (writing it
// to the Newick file when asked), then write the table of distances to
// standard output. Messages go to `err`, one line each; returns the exit
// code: 0 done, 1 bad input (or a file that could not be written, or memory
// that ran out), 2 asked to write over the matrix file or to mix the table
// and the trees in one file, 3 done but some matrix was not additive.
#pragma once

#include <cstdio>

#include "line_file.hpp"
#include "pairs_options.hpp"
#include "reader_settings.hpp"

namespace rf {

// How the output files are written: the system's write, or a test's.
struct OutputCalls {
    WriteCall write;
};

[[nodiscard]] int run_rf_pairs(const PairsOptions& options, const OutputCalls& output, std::FILE* err,
                               const ReaderSettings& reading);

} // namespace rf
