// What the console program needs from the platform beyond standard C++.
#pragma once

namespace rf {

// True when standard output is an interactive terminal (a console window on
// Windows), false for a file or a pipe.
[[nodiscard]] bool stdout_is_console() noexcept;

} // namespace rf
