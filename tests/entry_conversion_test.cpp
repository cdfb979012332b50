// Matrix entries from text, as the reader converts a piece of a block:
// against one word at a time through the careful whole-word path, on random
// texts of words of every shape (short decimals, long ones, integers,
// signs, exponents, words longer than the 64 bytes the reader looks at at
// once, bad words) and white space of every kind, from any entry on and up
// to any limit. Values, counts, where it stopped and whether on a bad word
// must agree, bit for bit, both with the instructions this processor has and
// with those every processor of the platform has.
//
// The long run (about 10^8 words) is opt-in:
//   build/tests/reader_tests --gtest_also_run_disabled_tests --gtest_filter='*LongRun*' 
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdio>
#include <random>
#include <string>

#include "entry_conversion.hpp"
#include "number_parsing.hpp"
#include "white_space.hpp"

namespace rf::testing {
namespace {

std::string random_word(std::mt19937_64& rng) {
    auto digits = [&rng](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text.push_back(static_cast<char>('0' + rng() % 10));
        }
        return text;
    };
    switch (rng() % 12) {
    case 0: return digits(1 + rng() % 9);                                    // integers, some too long for short words
    case 1: return std::string(1, rng() % 2 ? '-' : '+').append(digits(1 + rng() % 3)).append(".").append(digits(1 + rng() % 6));
    case 2: return digits(rng() % 9) + "." + digits(rng() % 10);             // ".5", "5.", long fractions
    case 3: return digits(1 + rng() % 3) + "." + digits(6) + (rng() % 2 ? "e-3" : "E+01");
    case 4: return digits(70 + rng() % 30) + "." + digits(2);                // longer than a window
    case 5: {
        const std::array<const char*, 9> bad = {"1.2.3", "abc", "1e", "--1", "+.", "0x1f", "inf", "1,5", "."};
        return bad[rng() % bad.size()];
    }
    default: return digits(1 + rng() % 2) + "." + digits(6);                 // the usual shape
    }
}

struct Expected {
    std::vector<double> values;
    std::size_t stop = 0;
    bool bad = false;
};

// One word at a time, each through the careful path.
Expected word_by_word(const std::string& text, std::int64_t wanted) {
    Expected expected;
    std::size_t p = 0;
    while (static_cast<std::int64_t>(expected.values.size()) < wanted) {
        while (p < text.size() && is_space(text[p])) {
            ++p;
        }
        if (p == text.size()) {
            break;
        }
        std::size_t end = p;
        while (end < text.size() && !is_space(text[end])) {
            ++end;
        }
        double value = 0.0;
        if (parse_real(text.data() + p, text.data() + end, value).ec != std::errc{}) {
            expected.bad = true;
            break;
        }
        expected.values.push_back(value);
        p = end;
    }
    expected.stop = p;
    return expected;
}

// Returns the number of words compared.
std::int64_t compare_on_random_texts(int trials, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::int64_t compared = 0;
    const std::string spaces = " \n\t\r\v\f";
    constexpr std::int32_t N = 40;
    DistanceMatrix matrix(N);
    for (int trial = 0; trial < trials; ++trial) {
        std::string text;
        const bool clean = trial % 3 != 0; // no bad words: the whole text is converted
        const std::size_t words = 1 + rng() % 300;
        for (std::size_t w = 0; w < words; ++w) {
            std::string word = random_word(rng);
            double ignored = 0.0;
            while (clean && parse_real(word.data(), word.data() + word.size(), ignored).ec != std::errc{}) {
                word = random_word(rng);
            }
            text += word;
            const std::size_t gap = rng() % 8 == 0 ? 1 + rng() % 70 : 1;
            for (std::size_t g = 0; g < gap; ++g) {
                text.push_back(spaces[rng() % (rng() % 4 == 0 ? spaces.size() : 1)]);
            }
        }
        if (rng() % 2 == 0) {
            text.pop_back(); // the last word may end with the text
        }
        const std::int64_t index = static_cast<std::int64_t>(rng() % (N * N / 2));
        const std::int64_t limit = index + static_cast<std::int64_t>(rng() % (N * N - index));
        const Expected expected = word_by_word(text, limit - index);
        const bool portably = trial % 2 == 1;
        const PieceOutcome outcome = (portably ? convert_entries_portably : convert_entries)(
            text.data(), text.data() + text.size(), matrix, index, limit);
        SCOPED_TRACE("trial " + std::to_string(trial) + (portably ? ", portably" : ""));
        EXPECT_EQ(outcome.entries, static_cast<std::int64_t>(expected.values.size()));
        EXPECT_EQ(outcome.bad, expected.bad);
        EXPECT_EQ(static_cast<std::size_t>(outcome.stop - text.data()), expected.stop);
        for (std::size_t k = 0; k < expected.values.size() && !::testing::Test::HasFailure(); ++k) {
            const auto entry = static_cast<std::int64_t>(k) + index;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(matrix.at(static_cast<std::int32_t>(entry / N + 1),
                                                             static_cast<std::int32_t>(entry % N + 1))),
                      std::bit_cast<std::uint64_t>(expected.values[k]))
                << "entry " << entry;
        }
        if (::testing::Test::HasFailure()) {
            break;
        }
        compared += static_cast<std::int64_t>(expected.values.size());
    }
    return compared;
}

TEST(EntryConversion, AgreesWithOneWordAtATime) { compare_on_random_texts(3000, 20261207); }

TEST(EntryConversion, DISABLED_LongRun) {
    const std::int64_t words = compare_on_random_texts(1'600'000, 1207);
    std::printf("%lld words converted as one at a time converts them\n", static_cast<long long>(words));
}

} // namespace
} // namespace rf::testing
