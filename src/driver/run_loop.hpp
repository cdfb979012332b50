// One run of rf_compare, from the banner to the last message: the dialogue,
// the matrices, the result file, the matrix file read as `reading` says.
// Returns the exit code: 0 for the normal end, 1 for every failure.
#pragma once

#include <cstdio>

#include "reader_settings.hpp"

namespace rf {

[[nodiscard]] int run_rf_compare(std::FILE* console_in, std::FILE* console_out, const ReaderSettings& reading);

} // namespace rf
