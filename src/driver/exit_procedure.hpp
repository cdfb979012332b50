// The one way out of the program: on a console, hold the window open until
// the user presses Enter; then hand back the exit code.
#pragma once

#include <cstdio>

namespace rf {

[[nodiscard]] int exit_procedure(int exit_code, std::FILE* console_in, std::FILE* console_out, bool on_console);

} // namespace rf
