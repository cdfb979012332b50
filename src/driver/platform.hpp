// What the console program needs from the platform beyond standard C++.
#pragma once

#include <cstddef>
#include <cstdio>

namespace rf {

// True when standard output is an interactive terminal (a console window on
// Windows), false for a file or a pipe.
[[nodiscard]] bool stdout_is_console() noexcept;

} // namespace rf

namespace rf {

// Asks for large pages behind a big array that is filled once and read many
// times: far fewer first-touch page faults. Only a hint; ignored where the
// platform has no such thing.
void prefer_huge_pages(void* block, std::size_t bytes) noexcept;

} // namespace rf
