// What separates the words of a matrix file: the C locale's white space
// (blank, tab, line feed, vertical tab, form feed, carriage return), so that
// CR LF line ends read like LF. Every part of the reader splits words by it.
#pragma once

#include <array>

namespace rf {

inline constexpr std::array<bool, 256> WHITE_SPACE = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
        table[c] = true;
    }
    return table;
}();

inline bool is_space(char c) noexcept { return WHITE_SPACE[static_cast<unsigned char>(c)]; }

} // namespace rf
