// The fast path for the words nearly every matrix file is made of: an
// optional sign, digits with an optional point, an optional short exponent.
// It converts only what it can convert exactly and declines the rest, which
// then takes the careful whole-word path; both give the same double.
#pragma once

#include <array>
#include <bit>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "number_parsing.hpp"

namespace rf {

// Converts the plain decimal at first when its digits, read as one integer w,
// number at most 19 with w <= 2^53 and its power of ten lies within 10^±22:
// the value is then w / 10^k or w * 10^k, both operands exact, one IEEE
// rounding, so it is the correctly rounded value of the word. Returns where
// the number ends (the caller checks that the word ends there too), or
// {first, errc::not_supported} when the word needs the careful path.
inline ParseResult parse_plain_decimal(const char* first, const char* last, double& value) noexcept;

namespace plain_decimal_detail {

// The fast path's exactness rests on each operation rounding once to double.
static_assert(FLT_EVAL_METHOD == 0, "doubles must be evaluated in double precision");

inline constexpr int MAX_POWER = 22; // 10^22 is the largest power of ten a double holds exactly
inline constexpr std::array<double, MAX_POWER + 1> POWERS_OF_TEN = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr std::array<std::uint64_t, 9> INTEGER_POWERS_OF_TEN = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

inline std::uint64_t load_eight(const char* p) noexcept {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, p, sizeof chunk);
    return chunk;
}

constexpr std::uint64_t bytes_of(std::uint8_t b) noexcept { return 0x0101010101010101ULL * b; }

// How many of the eight bytes, first byte first, are ASCII digits before the
// first one that is not (0..8). Bytes with the high bit set are no digits.
inline unsigned leading_digit_count(std::uint64_t chunk) noexcept {
    const std::uint64_t low7 = chunk & bytes_of(0x7F);
    const std::uint64_t at_least_zero = low7 + bytes_of(0x80 - '0'); // no carries: each byte stays below 0x100
    const std::uint64_t above_nine = low7 + bytes_of(0x80 - '9' - 1);
    const std::uint64_t other = (~at_least_zero | above_nine | chunk) & bytes_of(0x80);
    return other == 0 ? 8U : static_cast<unsigned>(std::countr_zero(other)) / 8U;
}

// The value of the first `count` (1..8) bytes of chunk, all digits. They are
// moved to the top so that the bytes below read as leading zeros; a borrow
// from the bytes after them only reaches bytes that the shift drops.
inline std::uint64_t leading_digits_value(std::uint64_t chunk, unsigned count) noexcept {
    std::uint64_t v = (chunk - bytes_of('0')) << (8U * (8U - count));
    v = (v * 10) + (v >> 8); // pairs of digits
    constexpr std::uint64_t PAIRS = 0x000000FF000000FF;
    constexpr std::uint64_t HIGH_PAIRS = 100 + (1000000ULL << 32);
    constexpr std::uint64_t LOW_PAIRS = 1 + (10000ULL << 32);
    return (((v & PAIRS) * HIGH_PAIRS) + (((v >> 16) & PAIRS) * LOW_PAIRS)) >> 32;
}

// Every plain decimal that the short form below does not take.
ParseResult parse_long_plain_decimal(const char* first, const char* last, double& value) noexcept;

} // namespace plain_decimal_detail

inline ParseResult parse_plain_decimal(const char* first, const char* last, double& value) noexcept {
    namespace detail = plain_decimal_detail;
    // The short form, in two eight-byte loads: up to 7 digits, optionally a
    // point and up to 7 more, no exponent. Its w has at most 14 digits, below
    // 2^53, and its power of ten is 10^0..10^7.
    if constexpr (std::endian::native == std::endian::little) {
        const bool negative = last - first > 16 && *first == '-';
        const char* p = first + static_cast<int>(negative || (last - first > 16 && *first == '+'));
        if (last - p >= 16) {
            const std::uint64_t whole = detail::load_eight(p);
            const unsigned whole_digits = detail::leading_digit_count(whole);
            const char* q = p + whole_digits;
            if (whole_digits < 8 && *q == '.') {
                const std::uint64_t fraction = detail::load_eight(q + 1);
                const unsigned fraction_digits = detail::leading_digit_count(fraction);
                const char* end = q + 1 + fraction_digits;
                if (fraction_digits != 0 && fraction_digits < 8 && *end != 'e' && *end != 'E') {
                    const std::uint64_t w =
                        (whole_digits == 0 ? 0 : detail::leading_digits_value(whole, whole_digits)) *
                            detail::INTEGER_POWERS_OF_TEN[fraction_digits] +
                        detail::leading_digits_value(fraction, fraction_digits);
                    const double magnitude = static_cast<double>(w) / detail::POWERS_OF_TEN[fraction_digits];
                    value = negative ? -magnitude : magnitude;
                    return {end, std::errc{}};
                }
            } else if (whole_digits != 0 && whole_digits < 8 && *q != 'e' && *q != 'E') {
                const double magnitude = static_cast<double>(detail::leading_digits_value(whole, whole_digits));
                value = negative ? -magnitude : magnitude;
                return {q, std::errc{}};
            }
        }
    }
    return detail::parse_long_plain_decimal(first, last, value);
}

} // namespace rf
