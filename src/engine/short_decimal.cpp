#include "short_decimal.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace rf {

namespace {

constexpr auto DIGITS = static_cast<std::size_t>(SHORT_DECIMAL_DIGITS);

// A decimal as its significant digits d1 d2 ... dk (no leading or trailing
// zeros) and the power of ten of d1: value = d1.d2...dk * 10^exponent.
struct Decimal {
    bool negative = false;
    char digits[DIGITS] = {};
    std::size_t count = 0;
    int exponent = 0;
};

constexpr int EXACT_POWERS = 22; // 10^0..10^22 are exact doubles
constexpr std::array<double, EXACT_POWERS + 1> POWERS_OF_TEN = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// value * 10^power, in steps of at most 10^22, each exact operand; a few
// roundings of 2^-53 at most, far below the twelfth digit.
double scaled_by_power_of_ten(double value, int power) noexcept {
    while (power > EXACT_POWERS) {
        value *= POWERS_OF_TEN[EXACT_POWERS];
        power -= EXACT_POWERS;
    }
    while (power < -EXACT_POWERS) {
        value /= POWERS_OF_TEN[EXACT_POWERS];
        power += EXACT_POWERS;
    }
    return power >= 0 ? value * POWERS_OF_TEN[static_cast<std::size_t>(power)]
                      : value / POWERS_OF_TEN[static_cast<std::size_t>(-power)];
}

constexpr double LOWEST_SHORT = 1e11; // twelve digits: 10^11 <= N < 10^12
constexpr double HIGHEST_SHORT = 1e12;

struct TwelveDigits {
    std::uint64_t n; // 10^11 <= n < 10^12
    int exponent;    // of n's first digit
};

// The twelve-digit integer N nearest to magnitude * 10^(11 - E), with E the
// power of ten of the magnitude's first digit (a normal double's).
TwelveDigits twelve_digits_of(double magnitude) noexcept {
    const auto biased = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52);
    // log10(2) ~ 78913 / 2^18: E is this or one more.
    int exponent = ((biased - 1023) * 78913) >> 18;
    double scaled = scaled_by_power_of_ten(magnitude, 11 - exponent);
    if (scaled + 0.5 >= HIGHEST_SHORT) {
        ++exponent;
        scaled = scaled_by_power_of_ten(magnitude, 11 - exponent);
    } else if (scaled + 0.5 < LOWEST_SHORT) {
        --exponent;
        scaled = scaled_by_power_of_ten(magnitude, 11 - exponent);
    }
    auto n = static_cast<std::uint64_t>(scaled + 0.5); // exact below 2^40
    if (static_cast<double>(n) >= HIGHEST_SHORT) { // 9.999999999995 rounds up to 10
        n /= 10;
        ++exponent;
    }
    return {n, exponent};
}

Decimal decimal_of(TwelveDigits twelve) noexcept {
    Decimal d;
    std::to_chars(d.digits, d.digits + DIGITS, twelve.n);
    d.count = DIGITS;
    while (d.digits[d.count - 1] == '0') {
        --d.count;
    }
    d.exponent = twelve.exponent;
    return d;
}

std::size_t digit_count(int value) noexcept {
    std::size_t count = 1;
    for (; value >= 10; value /= 10) {
        ++count;
    }
    return count;
}

// Writes the decimal as std::to_chars writes its shortest form: fixed or
// scientific, whichever is shorter, fixed on a tie.
char* write_decimal(char* out, const Decimal& d) noexcept {
    if (d.negative) {
        *out++ = '-';
    }
    const std::size_t k = d.count;
    const int x = d.exponent;
    const std::size_t scientific = k + (k > 1 ? 1 : 0) + 2 + std::max<std::size_t>(2, digit_count(x < 0 ? -x : x));
    std::size_t fixed = 0;
    if (x < 0) {
        fixed = 2 + static_cast<std::size_t>(-x - 1) + k;
    } else {
        fixed = static_cast<std::size_t>(x) + 1 >= k ? static_cast<std::size_t>(x) + 1 : k + 1;
    }
    if (fixed <= scientific) {
        if (x < 0) {
            out = std::fill_n(out, 2, '0');
            out[-1] = '.';
            out = std::fill_n(out, -x - 1, '0');
            return std::copy_n(d.digits, k, out);
        }
        const auto whole = static_cast<std::size_t>(x) + 1;
        if (whole >= k) {
            out = std::copy_n(d.digits, k, out);
            return std::fill_n(out, whole - k, '0');
        }
        out = std::copy_n(d.digits, whole, out);
        *out++ = '.';
        return std::copy_n(d.digits + whole, k - whole, out);
    }
    *out++ = d.digits[0];
    if (k > 1) {
        *out++ = '.';
        out = std::copy_n(d.digits + 1, k - 1, out);
    }
    *out++ = 'e';
    *out++ = x < 0 ? '-' : '+';
    if (x > -10 && x < 10) {
        *out++ = '0';
    }
    return std::to_chars(out, out + 4, x < 0 ? -x : x).ptr;
}

} // namespace

char* write_short_decimal(char* out, double value) noexcept {
    // Zeros, infinities and NaN as they are.
    if (!std::isfinite(value) || value == 0.0) {
        return std::to_chars(out, out + SHORT_DECIMAL_MAX_CHARS, value).ptr;
    }
    // A subnormal holds fewer digits than twelve would claim: rounded by the
    // library, and its shortest text taken.
    if (std::fabs(value) < std::numeric_limits<double>::min()) {
        char rounded[SHORT_DECIMAL_MAX_CHARS];
        const char* end =
            std::to_chars(rounded, rounded + sizeof rounded, value, std::chars_format::general, SHORT_DECIMAL_DIGITS).ptr;
        double nearest = value;
        std::from_chars(rounded, end, nearest);
        return std::to_chars(out, out + SHORT_DECIMAL_MAX_CHARS, nearest).ptr;
    }
    // The value's twelve leading digits, rounded: within half a unit in the
    // twelfth digit, 5e-12 of the value. As no other decimal of up to
    // fifteen digits lies that close to the double they read back as, they
    // are that double's shortest text too, and are written in its style.
    TwelveDigits twelve = twelve_digits_of(std::fabs(value));
    // The usual "12.3456", a point among the digits, which std::to_chars
    // writes fixed: the digits in place, those after the point moved by one.
    std::uint64_t digits = twelve.n;
    std::size_t count = DIGITS;
    for (; digits % 10 == 0; digits /= 10) {
        --count;
    }
    const auto whole = static_cast<std::size_t>(twelve.exponent) + 1;
    if (twelve.exponent >= 0 && whole < count) {
        if (value < 0) {
            *out++ = '-';
        }
        char* end = std::to_chars(out, out + SHORT_DECIMAL_MAX_CHARS, digits).ptr;
        for (char* p = end; p != out + whole; --p) {
            *p = p[-1];
        }
        out[whole] = '.';
        return end + 1;
    }
    Decimal decimal = decimal_of(twelve);
    decimal.negative = value < 0;
    return write_decimal(out, decimal);
}

} // namespace rf
