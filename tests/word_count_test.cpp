// Counting and finding words, as the reader cuts runs of text into pieces
// and matrices: against a plain byte-by-byte count, on random texts of
// words and every kind of white space, at every length and offset.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "white_space.hpp"
#include "word_count.hpp"

namespace rf::testing {
namespace {

// The starts of the words of the text, byte by byte.
std::vector<std::size_t> word_starts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!is_space(text[i]) && (i == 0 || is_space(text[i - 1]))) {
            starts.push_back(i);
        }
    }
    return starts;
}

TEST(WordCount, CountsAndFindsWordsAsByteByByte) {
    std::mt19937_64 rng(1207);
    const std::string spaces = " \t\n\r\v\f";
    for (int trial = 0; trial < 400; ++trial) {
        std::string text;
        const std::size_t length = rng() % (trial < 200 ? 100 : 5000);
        const unsigned space_share = 1 + static_cast<unsigned>(rng() % 8);
        while (text.size() < length) {
            text.push_back(rng() % 10 < space_share ? spaces[rng() % spaces.size()] : static_cast<char>('0' + rng() % 10));
        }
        const std::vector<std::size_t> starts = word_starts(text);
        const char* first = text.data();
        const char* last = first + text.size();
        ASSERT_EQ(count_words(first, last), starts.size()) << text;
        for (std::size_t index = 0; index <= starts.size(); index += 1 + rng() % 7) {
            const char* found = find_word(first, last, index);
            ASSERT_EQ(static_cast<std::size_t>(found - first), index < starts.size() ? starts[index] : text.size())
                << "word " << index << " of " << text;
        }
    }
}

} // namespace
} // namespace rf::testing
