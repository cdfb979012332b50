// What separates the words of a matrix file: the C locale's white space
// (blank, tab, line feed, vertical tab, form feed, carriage return), so that
// CR LF line ends read like LF. Every part of the reader splits words by it.
#pragma once

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rf {

inline constexpr std::array<bool, 256> WHITE_SPACE = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
        table[c] = true;
    }
    return table;
}();

inline bool is_space(char c) noexcept { return WHITE_SPACE[static_cast<unsigned char>(c)]; }

#if defined(__SSE2__)
// The same for sixteen bytes at once: 0xFF in each that is white space,
// blank or tab to carriage return.
inline __m128i space_mask(__m128i bytes) noexcept {
    const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
    const __m128i from_tab = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(from_tab, _mm_set1_epi8('\r' - '\t')), from_tab);
    return _mm_or_si128(blank, control);
}
#endif

} // namespace rf
