// The fast path for plain decimals against strtod, the reference for what a
// decimal word means: random words that reach every branch (1 to 20 and
// more digits, the point anywhere or absent, leading zeros, signs, values
// around 2^53 and 10^22, exponents around ±22, subnormal and overflowing
// ones, long words), each alone and followed by more digits after a blank.
// Whatever the fast path converts must be bit for bit what strtod gives, and
// it must convert every word its contract promises.
//
// The long run (10^8 words) is opt-in:
//   build/tests/reader_tests --gtest_also_run_disabled_tests --gtest_filter='*LongRun*'
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <iterator>
#include <string>

#include "plain_decimal.hpp"

namespace rf::testing {
namespace {

struct RandomWord {
    std::string text;
    bool promised = false; // the contract says the fast path converts it
};

class WordMaker {
public:
    explicit WordMaker(std::uint64_t seed) : rng_(seed) {}

    RandomWord next() {
        const std::string sign = pick({"", "", "-", "+"});
        std::string whole = significand_digits();
        std::string fraction;
        const bool point = below(10) < 7;
        if (point) { // anywhere among the digits, and more digits after it
            const auto at = static_cast<std::size_t>(below(static_cast<int>(whole.size()) + 1));
            fraction = whole.substr(at) + digits(short_or_long());
            whole.resize(at);
        }
        std::string exponent_part;
        int exponent = 0;
        std::size_t exponent_digits = 0;
        if (below(4) == 0) {
            exponent = pick_exponent();
            std::string magnitude = std::to_string(std::abs(exponent));
            magnitude.insert(0, static_cast<std::size_t>(below(3) == 0 ? below(3) : 0), '0');
            exponent_digits = magnitude.size();
            exponent_part = pick({"e", "E"}) + (exponent < 0 ? "-" : pick({"", "+"})) + magnitude;
        }
        return {sign + whole + (point ? "." : "") + fraction + exponent_part,
                is_promised(whole + fraction, static_cast<int>(fraction.size()), exponent, exponent_digits)};
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(rng_); }
    std::string pick(std::initializer_list<const char*> options) {
        return *(options.begin() + below(static_cast<int>(options.size())));
    }
    int short_or_long() { return below(5) == 0 ? below(26) : below(9); }
    std::string significand_digits() {
        switch (below(10)) {
        case 0: // around 2^53: the largest exact significands
            return std::to_string((std::uint64_t{1} << 53) - 2 + static_cast<std::uint64_t>(below(5)));
        case 1: // 10^21 to 10^23
            return std::string("1").append(static_cast<std::size_t>(21 + below(3)), '0');
        default: // sometimes with leading zeros
            return std::string(static_cast<std::size_t>(below(4) == 0 ? below(3) : 0), '0').append(digits(short_or_long()));
        }
    }
    std::string digits(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text.push_back(static_cast<char>('0' + below(10)));
        }
        return text;
    }
    int pick_exponent() {
        const int near[] = {0, 1, 5, 15, 16, 21, 22, 23, 24, 290, 308, 309, 320, 324, 330, 400};
        const int value = near[below(static_cast<int>(std::size(near)))] + below(3) - 1;
        return below(2) == 0 ? value : -value;
    }

    // Digits 1..19 read as w <= 2^53, a power of ten within 10^±22, and an
    // exponent of at most four digits.
    static bool is_promised(const std::string& all_digits, int fraction_digits, int exponent,
                            std::size_t exponent_digits) {
        if (all_digits.empty() || all_digits.size() > 19 || exponent_digits > 4) {
            return false;
        }
        const std::uint64_t w = std::strtoull(all_digits.c_str(), nullptr, 10);
        const int power = exponent - fraction_digits;
        return w <= (std::uint64_t{1} << 53) && power >= -22 && power <= 22;
    }

    std::mt19937_64 rng_;
};

struct Tally {
    std::uint64_t words = 0;
    std::uint64_t converted = 0;
    std::uint64_t mismatches = 0;
};

// One word, at the end of the text and followed by more digits after a blank.
void check(const RandomWord& word, Tally& tally) {
    ++tally.words;
    char* reference_end = nullptr;
    const double reference = std::strtod(word.text.c_str(), &reference_end);
    const bool reference_whole = reference_end == word.text.c_str() + word.text.size();
    for (const std::string& text : {word.text, word.text + " 98765432109876543210.0123456789"}) {
        double value = 0.0;
        const ParseResult result = parse_plain_decimal(text.data(), text.data() + text.size(), value);
        const bool converted = result.ec == std::errc{};
        const bool same = converted && reference_whole && result.ptr == text.data() + word.text.size() &&
                          std::memcmp(&value, &reference, sizeof value) == 0;
        if ((converted && !same) || (word.promised && !converted)) {
            ++tally.mismatches;
            ADD_FAILURE() << "word \"" << word.text << "\": " << (converted ? "converted to " : "declined, ")
                          << value << ", strtod gives " << reference;
        }
        tally.converted += converted ? 1 : 0;
    }
}

Tally check_random_words(std::uint64_t count, std::uint64_t seed) {
    WordMaker maker(seed);
    Tally tally;
    for (std::uint64_t i = 0; i < count && tally.mismatches < 20; ++i) {
        check(maker.next(), tally);
    }
    return tally;
}

TEST(PlainDecimal, AgreesWithStrtodOnRandomWords) {
    const Tally tally = check_random_words(500000, 20261206);
    EXPECT_EQ(tally.mismatches, 0U);
    EXPECT_GT(tally.converted, tally.words); // most words, in both settings
}

TEST(PlainDecimal, DISABLED_LongRun) {
    const Tally tally = check_random_words(100000000, 1);
    std::printf("%llu words, %llu conversions, %llu mismatches\n", static_cast<unsigned long long>(tally.words),
                static_cast<unsigned long long>(tally.converted), static_cast<unsigned long long>(tally.mismatches));
    EXPECT_EQ(tally.mismatches, 0U);
}

} // namespace
} // namespace rf::testing
