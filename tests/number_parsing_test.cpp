// Words of the matrix file and of the count answer: what counts as one
// number and what it reads as.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "number_parsing.hpp"

namespace rf {
namespace {

TEST(NumberParsing, RealWords) {
    struct Case {
        const char* word;
        bool valid;
        double value;
    };
    const Case cases[] = {
        {"2", true, 2.0},        {"+1.5", true, 1.5},      {"-.5", true, -0.5},       {"5.", true, 5.0},
        {"1.5e+01", true, 15.0}, {"1E-2", true, 0.01},     {"007", true, 7.0},        {"1e-400", true, 0.0},
        {"4e-320", true, 4e-320}, {"0e999999999999999", true, 0.0},
        {"1e400", false, 0},     {"1e99999999999999999999", false, 0}, {"inf", false, 0}, {"nan", false, 0},
        {"-infinity", false, 0}, {"0x10", false, 0},       {"1,5", false, 0},         {"2-3", false, 0},
        {"1e", false, 0},        {"1e+", false, 0},        {".", false, 0},           {"-", false, 0},
        {"+-3", false, 0},       {"", false, 0},           {"1.2.3", false, 0},       {"e5", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        double value = -123.0;
        const char* last = c.word + std::strlen(c.word);
        const ParseResult result = parse_real(c.word, last, value);
        EXPECT_EQ(result.ec == std::errc{}, c.valid);
        if (c.valid) {
            EXPECT_EQ(result.ptr, last);
            EXPECT_EQ(value, c.value);
        }
    }
    double negative_zero = 1.0;
    const char* tiny = "-1e-400";
    ASSERT_EQ(parse_real(tiny, tiny + 7, negative_zero).ec, std::errc{});
    EXPECT_TRUE(std::signbit(negative_zero)); // as strtod reads it
}

TEST(NumberParsing, IntegerWords) {
    struct Case {
        const char* word;
        std::errc ec;
        std::int64_t value;
    };
    const Case cases[] = {
        {"+5", std::errc{}, 5},
        {"007", std::errc{}, 7},
        {"-12", std::errc{}, -12},
        {"99999999999", std::errc{}, 99999999999},
        {"99999999999999999999", std::errc::result_out_of_range, INT64_MAX},
        {"-99999999999999999999", std::errc::result_out_of_range, INT64_MIN},
        {"3.5", std::errc::invalid_argument, 0},
        {"abc", std::errc::invalid_argument, 0},
        {"+", std::errc::invalid_argument, 0},
        {"", std::errc::invalid_argument, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        std::int64_t value = 0;
        const ParseResult result = parse_integer(c.word, c.word + std::strlen(c.word), value);
        EXPECT_EQ(result.ec, c.ec);
        EXPECT_EQ(value, c.value);
    }
}

} // namespace
} // namespace rf
