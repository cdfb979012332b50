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

// The longest decimal real at first: ptr is where it ended.
ParseResult parse_real_prefix(const char* first, const char* last, double& value) noexcept {
    // After an optional sign, a digit or a point: this shuts out inf and nan,
    // which from_chars accepts, and a second sign after a '+', which
    // from_chars would read after the '+' it refuses is skipped. What is left
    // of the decimal grammar from_chars checks itself, so the word is valid
    // when it consumed the whole of it.
    const bool signed_word = first != last && (*first == '+' || *first == '-');
    const char* number = signed_word && *first == '+' ? first + 1 : first;
    const char* lead = signed_word ? first + 1 : first;
    if (lead == last || (!is_digit(*lead) && *lead != '.')) {
        return {first, std::errc::invalid_argument};
    }
    const auto [ptr, ec] = std::from_chars(number, last, value, std::chars_format::general);
    return {ptr, ec};
}

} // namespace

ParseResult parse_real(const char* first, const char* last, double& value) noexcept {
    const auto [ptr, ec] = parse_real_prefix(first, last, value);
    if (ptr != last) {
        return {first, std::errc::invalid_argument};
    }
    if (ec == std::errc::result_out_of_range) {
        if (magnitude_overflows(first, last)) {
            return {first, ec};
        }
        value = *first == '-' ? -0.0 : 0.0;
        return {last, std::errc{}};
    }
    return {last, ec};
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
