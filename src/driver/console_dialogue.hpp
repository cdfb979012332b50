// The console side of a run: the banner, the three questions and their
// answers. Every answer is one white-space separated word of any length.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace rf {

void print_banner(std::FILE* out);

// The next word typed, or nothing when console input has ended. The
// character after the word stays unread, as formatted reading leaves it.
[[nodiscard]] std::optional<std::string> read_console_word(std::FILE* in);

// Asks for the number of matrices until the answer is an integer of at least
// 2; nothing when console input ends first (the end is then reported).
[[nodiscard]] std::optional<std::int32_t> ask_matrix_count(std::FILE* in, std::FILE* out);

// Printed in place of the answer's line ends when no answer is left.
void report_end_of_console_input(std::FILE* out);

} // namespace rf
