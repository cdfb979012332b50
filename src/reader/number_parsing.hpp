// Whole-word number conversion for the console answers and the matrix file.
// No allocation, no exceptions, no locale: {ptr, ec} like std::from_chars,
// but a word must be consumed whole to count as a number.
#pragma once

#include <cstdint>
#include <system_error>

namespace rf {

struct ParseResult {
    const char* ptr;
    std::errc ec;
};

// A decimal real: optional sign ('+' too), digits with an optional point,
// at least one digit, optional exponent with at least one digit. Anything
// else in the word (inf, nan, hex, "1,5", "2-3", "1e") is invalid_argument.
// A value beyond the double range is result_out_of_range; one that underflows
// reads as its rounded value, zero of the word's sign or a subnormal.
ParseResult parse_real(const char* first, const char* last, double& value) noexcept;

// A decimal integer: optional sign, digits only. Beyond the int64 range the
// result is result_out_of_range and value saturates to the word's sign.
ParseResult parse_integer(const char* first, const char* last, std::int64_t& value) noexcept;

} // namespace rf
