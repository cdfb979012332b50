#include "short_decimal.hpp"

#include <charconv>

namespace rf {

char* write_short_decimal(char* out, double value) noexcept {
    // Rounding to twelve digits moves the value by at most half a unit in
    // the twelfth digit, 5e-12 of it; the shortest text of the double
    // nearest that decimal has at most its twelve digits.
    char rounded[SHORT_DECIMAL_MAX_CHARS];
    const auto [rounded_end, ec] =
        std::to_chars(rounded, rounded + sizeof rounded, value, std::chars_format::general, SHORT_DECIMAL_DIGITS);
    double nearest = value;
    if (ec == std::errc{}) {
        const auto parsed = std::from_chars(rounded, rounded_end, nearest);
        if (parsed.ec != std::errc{}) {
            nearest = value; // rounded up past the largest double: keep the value itself
        }
    }
    return std::to_chars(out, out + SHORT_DECIMAL_MAX_CHARS, nearest).ptr;
}

} // namespace rf
