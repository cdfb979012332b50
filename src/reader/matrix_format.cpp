#include "matrix_format.hpp"

#include <algorithm>
#include <cctype>
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
    const std::size_t first = line.find_first_not_of(" \t\r\v\f");
    if (first != std::string_view::npos && (line[first] == '(' || line[first] == '[')) {
        return {MatrixFormat::newick, {}}; // a tree, or a comment before one
    }
    if (first != std::string_view::npos && line.size() - first >= 6) {
        std::string head(line.substr(first, 6));
        std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (head == "#NEXUS") {
            return {MatrixFormat::nexus, {}};
        }
    }
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

// The start of a file, enough to recognise its format: its first two lines
// that hold more than white space, or 64 KiB, or all of it.
std::string read_start(InputFile& file) {
    constexpr std::size_t MOST = std::size_t{64} << 10;
    std::string start;
    char block[4096];
    while (start.size() < MOST) {
        std::size_t lines = 0;
        bool blank = true;
        for (const char c : start) {
            if (c == '\n') {
                lines += blank ? 0 : 1;
                blank = true;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                blank = false;
            }
        }
        if (lines >= 2) {
            break;
        }
        const std::size_t got = file.read_some(block, sizeof block);
        if (got == 0) {
            break;
        }
        start.append(block, got);
    }
    return start;
}

} // namespace rf
