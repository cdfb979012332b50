#include "number_parsing.hpp"

#include <charconv>
#include <limits>

namespace rf {

namespace {

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

const char* skip_digits(const char* p, const char* last) noexcept {
    while (p != last && is_digit(*p)) {
        ++p;
    }
    return p;
}

// The decimal grammar itself, so that from_chars' extras (inf, nan, partial
// words) never get a say. Returns the end of the number, or nullptr.
const char* scan_decimal_real(const char* first, const char* last) noexcept {
    const char* p = first;
    if (p != last && (*p == '+' || *p == '-')) {
        ++p;
    }
    const char* digits = p;
    p = skip_digits(p, last);
    std::ptrdiff_t digit_count = p - digits;
    if (p != last && *p == '.') {
        const char* fraction = p + 1;
        p = skip_digits(fraction, last);
        digit_count += p - fraction;
    }
    if (digit_count == 0) {
        return nullptr;
    }
    if (p != last && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q != last && (*q == '+' || *q == '-')) {
            ++q;
        }
        const char* exponent_end = skip_digits(q, last);
        if (exponent_end == q) {
            return nullptr;
        }
        p = exponent_end;
    }
    return p;
}

// from_chars reports overflow and underflow alike as out of range; which one
// it was follows from the decimal exponent of the first significant digit.
bool magnitude_overflows(const char* first, const char* last) noexcept {
    const char* p = first;
    if (*p == '+' || *p == '-') {
        ++p;
    }
    std::int64_t point_shift = 0; // digits of the significand before the point, from the first non-zero one
    bool seen_significant = false;
    bool after_point = false;
    for (; p != last && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            after_point = true;
        } else if (*p != '0' || seen_significant) {
            seen_significant = true;
            if (!after_point) {
                ++point_shift;
            }
        } else if (after_point) {
            --point_shift;
        }
    }
    std::int64_t exponent = 0;
    if (p != last) {
        ++p;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-') {
            ++p;
        }
        constexpr std::int64_t CAP = std::int64_t{1} << 40; // far past any double exponent
        for (; p != last && exponent < CAP; ++p) {
            exponent = exponent * 10 + (*p - '0');
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    return point_shift + exponent > 0;
}

} // namespace

ParseResult parse_real(const char* first, const char* last, double& value) noexcept {
    if (first == last || scan_decimal_real(first, last) != last) {
        return {first, std::errc::invalid_argument};
    }
    const bool negative = *first == '-';
    const char* number = *first == '+' ? first + 1 : first; // from_chars refuses a leading '+'
    const auto [ptr, ec] = std::from_chars(number, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (magnitude_overflows(first, last)) {
            return {first, ec};
        }
        value = negative ? -0.0 : 0.0;
        return {last, std::errc{}};
    }
    if (ec != std::errc{} || ptr != last) {
        return {first, std::errc::invalid_argument};
    }
    return {last, std::errc{}};
}

ParseResult parse_integer(const char* first, const char* last, std::int64_t& value) noexcept {
    const char* p = first;
    if (p != last && (*p == '+' || *p == '-')) {
        ++p;
    }
    if (p == last || skip_digits(p, last) != last) {
        return {first, std::errc::invalid_argument};
    }
    const char* number = *first == '+' ? first + 1 : first;
    const auto [ptr, ec] = std::from_chars(number, last, value);
    if (ec == std::errc::result_out_of_range) {
        value = *first == '-' ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
        return {last, ec};
    }
    return {ptr, ec};
}

} // namespace rf
