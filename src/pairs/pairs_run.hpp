// One run of rf_pairs: read the matrix file, rebuild every tree (writing it
// to the Newick file when asked), then write the table of distances.
// Messages go to `err`, one line each; returns the exit code: 0 done, 1 bad
// input, 2 asked to write over the matrix file, 3 done but some matrix was
// not additive.
#pragma once

#include <cstdio>

#include "pairs_options.hpp"
#include "reader_settings.hpp"

namespace rf {

[[nodiscard]] int run_rf_pairs(const PairsOptions& options, std::FILE* out, std::FILE* err,
                               const ReaderSettings& reading);

} // namespace rf
