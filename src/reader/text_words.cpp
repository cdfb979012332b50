#include "text_words.hpp"

#include <cstdint>

#include "number_parsing.hpp"
#include "white_space.hpp"

namespace rf {

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t k = 0;
    while (k < line.size()) {
        while (k < line.size() && is_space(line[k])) {
            ++k;
        }
        const std::size_t begin = k;
        while (k < line.size() && !is_space(line[k])) {
            ++k;
        }
        if (k != begin) {
            words.push_back(line.substr(begin, k - begin));
        }
    }
    return words;
}

bool is_decimal_number(std::string_view word) noexcept {
    double value = 0.0;
    return !word.empty() && parse_real(word.data(), word.data() + word.size(), value).ec == std::errc{};
}

bool is_whole_number(std::string_view word) noexcept {
    std::int64_t value = 0;
    return !word.empty() && parse_integer(word.data(), word.data() + word.size(), value).ec == std::errc{};
}

std::string quoted(std::string_view text) {
    constexpr char HEX[] = "0123456789abcdef";
    std::string shown("\"");
    for (const char c : text.substr(0, 40)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < ' ' || byte == 0x7F) { // as C writes it: the message stays one line of text
            shown.append("\\x").push_back(HEX[byte >> 4U]);
            shown.push_back(HEX[byte & 15U]);
        } else {
            shown.push_back(c);
        }
    }
    shown.append(text.size() > 40 ? "...\"" : "\"");
    return shown;
}

std::string ends_after_rows_text(std::int64_t rows, std::int64_t expected) {
    return "the file ends after " + std::to_string(rows) + " rows, expected " + std::to_string(expected);
}

} // namespace rf
