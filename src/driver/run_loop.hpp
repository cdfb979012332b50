// One run of rf_compare, from the banner to the last message: the dialogue,
// the matrices, the result file. Returns the exit code (0 normal end, or a
// matrix file that cannot be opened; 1 for every failure).
#pragma once

#include <cstdio>

namespace rf {

[[nodiscard]] int run_rf_compare(std::FILE* console_in, std::FILE* console_out);

} // namespace rf
