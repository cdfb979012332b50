// Number words whose reading the end-to-end table cannot see: underflow,
// subnormals, signs and the corners of the decimal grammar.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>

#include "number_parsing.hpp"

namespace rf {
namespace {

TEST(NumberParsing, RealWords) {
    struct Case {
        const char* word;
        std::optional<double> value; // nothing: not one decimal real
    };
    const Case cases[] = {
        {"+1.5", 1.5},      {"-.5", -0.5},         {"5.", 5.0},   {"1E-2", 0.01}, {"1e-400", 0.0},
        {"-1e-400", -0.0},  {"4e-320", 4e-320},    {"0e999999999999999", 0.0},
        {"1e99999999999999999999", std::nullopt}, {"-infinity", std::nullopt}, {"0x10", std::nullopt},
        {"1e+", std::nullopt}, {".", std::nullopt}, {"-", std::nullopt},  {"+-3", std::nullopt},
        {"1.2.3", std::nullopt}, {"e5", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        double value = -123.0;
        const char* last = c.word + std::strlen(c.word);
        const ParseResult result = parse_real(c.word, last, value);
        ASSERT_EQ(result.ec == std::errc{}, c.value.has_value());
        if (c.value) {
            EXPECT_EQ(result.ptr, last);
            EXPECT_EQ(value, *c.value);
            EXPECT_EQ(std::signbit(value), std::signbit(*c.value)); // underflow keeps the sign, as strtod does
        }
    }
}

} // namespace
} // namespace rf
