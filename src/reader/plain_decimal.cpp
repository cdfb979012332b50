#include "plain_decimal.hpp"

namespace rf::plain_decimal_detail {

namespace {

constexpr std::uint64_t LARGEST_EXACT = std::uint64_t{1} << 53;
constexpr int MAX_DIGITS = 19;         // any 19 digits fit in 64 bits
constexpr int MAX_EXPONENT_DIGITS = 4; // longer exponents take the careful path

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// Appends the run of digits at p to w, eight at a time where eight bytes
// remain; counts them, and stops at the first other byte. Beyond 19 digits w
// wraps, and the caller declines.
const char* take_digits(const char* p, const char* last, std::uint64_t& w, int& digits) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        while (last - p >= 8) {
            const std::uint64_t chunk = load_eight(p);
            const unsigned count = leading_digit_count(chunk);
            if (count == 0) {
                return p;
            }
            w = w * INTEGER_POWERS_OF_TEN[count] + leading_digits_value(chunk, count);
            digits += static_cast<int>(count);
            p += count;
            if (count < 8) {
                return p;
            }
        }
    }
    for (; p != last && is_digit(*p); ++p) {
        w = w * 10 + static_cast<std::uint64_t>(*p - '0');
        ++digits;
    }
    return p;
}

// An exponent part at p ('e' or 'E' already seen): optional sign, one to four
// digits. Null when it is longer or has no digit.
const char* take_exponent(const char* p, const char* last, int& exponent) noexcept {
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* start = p;
    int value = 0;
    for (; p != last && is_digit(*p); ++p) {
        if (p - start == MAX_EXPONENT_DIGITS) {
            return nullptr;
        }
        value = value * 10 + (*p - '0');
    }
    if (p == start) {
        return nullptr;
    }
    exponent = negative ? -value : value;
    return p;
}

} // namespace

ParseResult parse_long_plain_decimal(const char* first, const char* last, double& value) noexcept {
    const char* p = first;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t w = 0;
    int digits = 0;
    p = take_digits(p, last, w, digits);
    int fraction_digits = 0;
    if (p != last && *p == '.') {
        const int before_point = digits;
        p = take_digits(p + 1, last, w, digits);
        fraction_digits = digits - before_point;
    }
    int exponent = 0;
    if (p != last && (*p == 'e' || *p == 'E')) {
        p = take_exponent(p + 1, last, exponent);
        if (p == nullptr) {
            return {first, std::errc::not_supported};
        }
    }
    const int power = exponent - fraction_digits;
    if (digits == 0 || digits > MAX_DIGITS || w > LARGEST_EXACT || power < -MAX_POWER || power > MAX_POWER) {
        return {first, std::errc::not_supported};
    }
    const double significand = static_cast<double>(w);
    const double magnitude = power < 0 ? significand / POWERS_OF_TEN[static_cast<std::size_t>(-power)]
                                       : significand * POWERS_OF_TEN[static_cast<std::size_t>(power)];
    value = negative ? -magnitude : magnitude;
    return {p, std::errc{}};
}

} // namespace rf::plain_decimal_detail
