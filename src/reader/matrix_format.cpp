#include "matrix_format.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "longest_word.hpp"
#include "text_words.hpp"

namespace rf {

namespace {

// The first line that holds more than white space, from `from` on; where
// the text after it starts.
std::string_view first_line(std::string_view text, std::size_t& after) {
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        const std::string_view line = text.substr(begin, end - begin);
        if (line.find_first_not_of(" \t\r\v\f") != std::string_view::npos || end == text.size()) {
            after = std::min(end + 1, text.size());
            return line;
        }
        begin = end + 1;
    }
}

} // namespace

Recognised recognise_format(std::string_view start) {
    std::size_t after = 0;
    const std::string_view line = first_line(start, after);
    const std::vector<std::string_view> words = words_of(line);
    if (line.find_first_of(",;") != std::string_view::npos) {
        return {MatrixFormat::csv, {}};
    }
    if (line.find('\t') != std::string_view::npos && words.size() > 1) {
        return {MatrixFormat::tsv, {}}; // names, or numbers, between tabs
    }
    if (words.empty() || !is_whole_number(words.front())) {
        return {std::nullopt, std::string(line.substr(0, 60))};
    }
    // After the count: the first matrix's first number (rf), or a name.
    std::size_t unused = 0;
    const std::vector<std::string_view> next = words.size() > 1 ? words : words_of(first_line(start.substr(after), unused));
    const std::string_view following = words.size() > 1 ? words[1] : next.empty() ? std::string_view() : next.front();
    // A word longer than any name is no name: the programs' own reader says
    // what is wrong with it.
    const bool number = following.empty() || following.size() > LONGEST_WORD || is_decimal_number(following);
    return {number ? MatrixFormat::rf : MatrixFormat::phylip, {}};
}

} // namespace rf
