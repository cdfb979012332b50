// Words of a line of text, and whether a word is a number, for the readers
// that look at lines before they convert them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf {

// The white-space separated words of `line`.
[[nodiscard]] std::vector<std::string_view> words_of(std::string_view line);

// True when the whole word is one decimal number, as the readers take it.
[[nodiscard]] bool is_decimal_number(std::string_view word) noexcept;

// True when the whole word is a whole number.
[[nodiscard]] bool is_whole_number(std::string_view word) noexcept;

// What was found, for a message: at most 40 bytes of it, in double quotes,
// control characters written as \xNN.
[[nodiscard]] std::string quoted(std::string_view text);

// "the file ends after ROWS rows, expected N".
[[nodiscard]] std::string ends_after_rows_text(std::int64_t rows, std::int64_t expected);

} // namespace rf
