#include "console_dialogue.hpp"

#include <array>
#include <cctype>
#include <limits>
#include <string_view>

#include "number_parsing.hpp"

namespace rf {

namespace {

constexpr std::array<std::string_view, 21> BANNER = {
    "* ---------------------------------------------*\n",
    "* Computation of the Robinson and Foulds       *\n",
    "* topological distance between two (or more)   *\n",
    "* trees given their distance matrices.         *\n",
    "*                                              *\n",
    "* Input data file format:                      *\n",
    "* 1. Number of objects (matrix size) n.        *\n",
    "* 2. A sequence of m squared additive distance *\n",
    "*     matrices of size n by n assosiated       *\n",
    "*     with trees.                              *\n",
    "*                                              *\n",
    "* Output data:                                 *\n",
    "* 1. A sequence of m-1 integer numbers         *\n",
    "*    containing the Robinson and Foulds        *\n",
    "*    distances between the tree associated     *\n",
    "*    with the first matrix and all the other   *\n",
    "*    trees associated with the following ones. *\n",
    "*                                              *\n",
    "* rf_compare " RF_VERSION ": each tree is rebuilt from  *\n",
    "* its matrix and compared with the first tree. *\n",
    "* ---------------------------------------------*\n\n",
};

constexpr bool banner_is_framed() {
    for (std::size_t i = 0; i < BANNER.size(); ++i) {
        const std::size_t line_ends = i + 1 == BANNER.size() ? 2 : 1;
        if (BANNER[i].size() != 48 + line_ends || BANNER[i].front() != '*' || BANNER[i][47] != '*') {
            return false;
        }
    }
    return true;
}
static_assert(banner_is_framed(), "every banner line is 48 characters framed by asterisks");

bool is_console_space(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// A whole decimal integer in the signed 32-bit range, sign and leading zeros
// allowed.
std::optional<std::int32_t> as_count(const std::string& word) {
    std::int64_t value = 0;
    const auto [ptr, ec] = parse_integer(word.data(), word.data() + word.size(), value);
    if (ec != std::errc{} || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

void print_banner(std::FILE* out) {
    for (const std::string_view line : BANNER) {
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

std::optional<std::string> read_console_word(std::FILE* in) {
    int c = std::getc(in);
    while (c != EOF && is_console_space(c)) {
        c = std::getc(in);
    }
    if (c == EOF) {
        return std::nullopt;
    }
    std::string word;
    while (c != EOF && !is_console_space(c)) {
        word.push_back(static_cast<char>(c));
        c = std::getc(in);
    }
    if (c != EOF) {
        std::ungetc(c, in);
    }
    return word;
}

std::optional<std::int32_t> ask_matrix_count(std::FILE* in, std::FILE* out) {
    for (;;) {
        std::fputs("Enter the number of matrices to analyze (including the first one)\n\n", out);
        const std::optional<std::string> answer = read_console_word(in);
        if (!answer) {
            report_end_of_console_input(out);
            return std::nullopt;
        }
        std::fputs("\n\n", out);
        const std::optional<std::int32_t> count = as_count(*answer);
        if (count && *count >= 2) {
            return count;
        }
        std::fputs("You must analyse at least two additive distance matrices\n\n", out);
    }
}

void report_end_of_console_input(std::FILE* out) { std::fputs("\n\nError\nEnd of console input", out); }

} // namespace rf
