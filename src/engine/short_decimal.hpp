// Lengths and distances as people read them: at most twelve significant
// digits, without the floating noise of the last bits (0.2031825, not
// 0.20318250000000004), yet within 1e-11 relative of the value.
#pragma once

#include <cstddef>

namespace rf {

inline constexpr int SHORT_DECIMAL_DIGITS = 12;
// Room enough for any double so written: sign, 12 digits, point, exponent.
inline constexpr std::size_t SHORT_DECIMAL_MAX_CHARS = 24;

// Writes at `out` the shortest text that reads back as the double nearest to
// `value` rounded to twelve significant digits, and returns its end. `out`
// must have room for SHORT_DECIMAL_MAX_CHARS characters.
char* write_short_decimal(char* out, double value) noexcept;

} // namespace rf
