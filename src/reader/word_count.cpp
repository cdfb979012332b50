#include "word_count.hpp"

#include <algorithm>
#include <bit>

#include "white_space.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rf {

namespace {

#if defined(__SSE2__)
// 0xFF in each of the sixteen bytes at p that is white space.
__m128i space_mask_at(const char* p) noexcept {
    return space_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// Counts the word starts of whole sixteen-byte lanes from p on, moving p to
// the first byte left over. A word starts at each byte that is not white
// space and follows white space; the starts are summed per byte for up to
// 255 lanes, then added up, so that no population count is needed.
std::size_t count_lanes(const char*& p, const char* last, bool& after_space) noexcept {
    constexpr std::ptrdiff_t LANE = 16;
    constexpr std::ptrdiff_t MAX_ROUNDS = 255;
    const __m128i zero = _mm_setzero_si128();
    __m128i previous = after_space ? _mm_set1_epi8(-1) : zero; // its last byte tells about the byte before p
    std::size_t words = 0;
    while (last - p >= LANE) {
        const char* stop = p + LANE * std::min(MAX_ROUNDS, (last - p) / LANE);
        __m128i starts = zero;
        for (; p != stop; p += LANE) {
            const __m128i space = space_mask_at(p);
            const __m128i follows_space = _mm_or_si128(_mm_slli_si128(space, 1), _mm_srli_si128(previous, 15));
            starts = _mm_sub_epi8(starts, _mm_andnot_si128(space, follows_space));
            previous = space;
        }
        const __m128i sums = _mm_sad_epu8(starts, zero);
        words += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    after_space = (_mm_movemask_epi8(previous) & 0x8000) != 0;
    return words;
}

// The bits set in a 16-bit mask, without a library call where the processor
// has no population count instruction.
unsigned bits_set(unsigned mask) noexcept {
    mask = mask - ((mask >> 1U) & 0x5555U);
    mask = (mask & 0x3333U) + ((mask >> 2U) & 0x3333U);
    mask = (mask + (mask >> 4U)) & 0x0F0FU;
    return (mask + (mask >> 8U)) & 0x1FU;
}

// One bit per byte of the sixteen at p that starts a word, given whether
// the byte before p is white space; `after_space` is left telling it for
// the next sixteen.
unsigned word_starts(const char* p, bool& after_space) noexcept {
    const auto space = static_cast<unsigned>(_mm_movemask_epi8(space_mask_at(p)));
    const unsigned follows_space = (space << 1U) | (after_space ? 1U : 0U);
    after_space = (space & 0x8000U) != 0;
    return ~space & follows_space & 0xFFFFU;
}
#endif

} // namespace

const char* find_word(const char* first, const char* last, std::size_t index) noexcept {
    bool after_space = true;
    const char* p = first;
#if defined(__SSE2__)
    // Whole blocks are counted at the counting speed; the block that holds
    // the word is then searched sixteen bytes at a time.
    constexpr std::ptrdiff_t BLOCK = 1024;
    while (last - p >= BLOCK) {
        const char* block = p;
        const bool before_block = after_space;
        const std::size_t words = count_lanes(p, block + BLOCK, after_space);
        if (index < words) {
            p = block;
            after_space = before_block;
            break;
        }
        index -= words;
    }
    constexpr std::ptrdiff_t LANE = 16;
    for (; last - p >= LANE; p += LANE) {
        unsigned starts = word_starts(p, after_space);
        const std::size_t found = bits_set(starts);
        if (index < found) {
            for (; index != 0; --index) {
                starts &= starts - 1; // drop the lowest start
            }
            return p + std::countr_zero(starts);
        }
        index -= found;
    }
#endif
    for (; p != last; ++p) {
        const bool space = is_space(*p);
        if (!space && after_space) {
            if (index == 0) {
                return p;
            }
            --index;
        }
        after_space = space;
    }
    return last;
}

std::size_t count_words(const char* first, const char* last) noexcept {
    std::size_t words = 0;
    bool after_space = true;
    const char* p = first;
#if defined(__SSE2__)
    words += count_lanes(p, last, after_space);
#endif
    for (; p != last; ++p) {
        const bool space = is_space(*p);
        words += static_cast<std::size_t>(!space && after_space);
        after_space = space;
    }
    return words;
}

} // namespace rf
