// Lengths and distances as text: at most twelve significant digits, no
// trailing zeros, and within 1e-11 relative of the value, checked on a table
// of known noise and on random doubles of every magnitude.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "short_decimal.hpp"

namespace rf::testing {
namespace {

std::string short_text(double value) {
    char text[SHORT_DECIMAL_MAX_CHARS];
    return {text, write_short_decimal(text, value)};
}

// The digits of the significand that carry information: no sign, point,
// exponent, leading zeros or the zeros that end a whole number.
std::string significant_digits(const std::string& text) {
    std::string digits;
    for (const char c : text.substr(0, text.find('e'))) {
        if (c >= '0' && c <= '9' && !(digits.empty() && c == '0')) {
            digits.push_back(c);
        }
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    return digits;
}

TEST(ShortDecimal, DropsTheNoiseOfTheLastBits) {
    const std::pair<double, const char*> cases[] = {
        {0.20318250000000004, "0.2031825"}, {2.7500000000000004, "2.75"}, {0.1 + 0.2, "0.3"},
        {1.0, "1"},                         {0.0, "0"},                   {-0.0, "-0"},
        {1e-05, "1e-05"},                   {120000.0, "120000"},         {123456789012345.0, "123456789012000"},
        {-1.0 / 3.0, "-0.333333333333"},    {5e-324, "5e-324"},           {1.7976931348623157e308, "1.79769313486e+308"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(short_text(value), text) << std::bit_cast<std::uint64_t>(value);
    }
}

TEST(ShortDecimal, TwelveDigitsWithinOnePartIn1e11OnRandomDoubles) {
    std::mt19937_64 rng(1207);
    std::uniform_real_distribution<double> unit(0.5, 1.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int trial = 0; trial < 200000; ++trial) {
        // Random significands at random scales, and plain random bits.
        const double value = trial % 2 == 0 ? std::ldexp(unit(rng), exponent(rng)) : std::bit_cast<double>(rng());
        if (!std::isfinite(value) || std::fpclassify(value) == FP_SUBNORMAL) {
            continue;
        }
        const std::string text = short_text(value);
        SCOPED_TRACE(text);
        ASSERT_LE(significant_digits(text).size(), 12U);
        const std::string significand = text.substr(0, text.find('e'));
        if (significand.find('.') != std::string::npos) {
            ASSERT_NE(significand.back(), '0');
        }
        const double back = std::stod(text);
        ASSERT_LE(std::fabs(back - value), 1e-11 * std::fabs(value));
        char shortest[32];
        ASSERT_EQ(std::string(shortest, std::to_chars(shortest, shortest + sizeof shortest, back).ptr), text)
            << "the shortest text of the double it reads back as";
    }
}

} // namespace
} // namespace rf::testing
