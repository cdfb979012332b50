#include "entry_conversion.hpp"

#include <array>
#include <bit>

#include "longest_word.hpp"
#include "number_parsing.hpp"
#include "plain_decimal.hpp"
#include "white_space.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Where the processor can be asked, words are converted with SSSE3 and
// SSE4.1 when it has them: the same values, a third faster.
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define RF_SHUFFLED_DIGITS 1
#include <smmintrin.h>
#include <tmmintrin.h>
#else
#define RF_SHUFFLED_DIGITS 0
#endif

namespace rf {

namespace {

const char* word_end(const char* p, const char* last) noexcept {
    while (p != last && !is_space(*p)) {
        ++p;
    }
    return p;
}

// The value of the word at p: the fast path when it takes the whole word,
// else the careful path over the whole word. Null for a bad word, one
// longer than any number is among them.
const char* convert_word(const char* p, const char* last, double& value) noexcept {
    const auto [end, ec] = parse_plain_decimal(p, last, value);
    if (ec == std::errc{} && (end == last || is_space(*end))) {
        return end;
    }
    const auto most = static_cast<std::ptrdiff_t>(LONGEST_WORD) + 1;
    const char* whole = word_end(p, last - p > most ? p + most : last);
    if (static_cast<std::size_t>(whole - p) > LONGEST_WORD) {
        return nullptr;
    }
    return parse_real(p, whole, value).ec == std::errc{} ? whole : nullptr;
}

// Where the next entry goes: row by row, column 0 of each row left out.
class Cells {
public:
    Cells(DistanceMatrix& matrix, std::int64_t index) noexcept
        : matrix_(matrix), n_(matrix.leaf_count()), row_(static_cast<std::int32_t>(index / n_ + 1)),
          column_(index % n_ + 1), cell_(matrix.row(row_) + column_) {}

    void store(double value) noexcept {
        *cell_ = value;
        if (column_ < n_) {
            ++column_;
            ++cell_;
        } else if (row_ < n_) {
            column_ = 1;
            ++row_;
            cell_ = matrix_.row(row_) + 1;
        }
    }

private:
    DistanceMatrix& matrix_;
    std::int64_t n_;
    std::int32_t row_;
    std::int64_t column_;
    double* cell_;
};

#if defined(__SSE2__)
// Sixty-four bytes of text as bit masks, bit i for byte i: white space,
// ASCII digits, points.
struct Window {
    std::uint64_t space;
    std::uint64_t digit;
    std::uint64_t point;
};

constexpr std::ptrdiff_t WINDOW = 64;
// Bytes readable after a window: a word ending in it is read eight bytes at
// a time from its point on.
constexpr std::ptrdiff_t WINDOW_SLACK = 16;

Window window_at(const char* p) noexcept {
    Window window{0, 0, 0};
    for (int lane = 0; lane < 4; ++lane) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * lane));
        const __m128i from_zero = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
        const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(from_zero, _mm_set1_epi8(9)), from_zero);
        const __m128i point = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('.'));
        const unsigned shift = 16U * static_cast<unsigned>(lane);
        window.space |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(space_mask(bytes)))} << shift;
        window.digit |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(digit))} << shift;
        window.point |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(point))} << shift;
    }
    return window;
}

// The digits of a short word as one integer w: `whole` digits, a point
// when `fraction` is not 0, `fraction` digits; at most 7 of each. Eight
// bytes at a time in a 64-bit register, on any processor.
struct PortableDigits {
    static std::uint64_t value(const char* word, unsigned whole, unsigned fraction) noexcept {
        namespace detail = plain_decimal_detail;
        const std::uint64_t whole_value = whole == 0 ? 0 : detail::leading_digits_value(detail::load_eight(word), whole);
        if (fraction == 0) {
            return whole_value;
        }
        return whole_value * detail::INTEGER_POWERS_OF_TEN[fraction] +
               detail::leading_digits_value(detail::load_eight(word + whole + 1), fraction);
    }
};

#if RF_SHUFFLED_DIGITS
// The byte shuffles that put the digits of a word of `whole` and `fraction`
// digits, the point left out, at the end of sixteen lanes, zeros before.
struct alignas(16) Shuffle {
    std::array<std::int8_t, 16> lanes;
};
constexpr std::array<Shuffle, 64> SHUFFLES = [] {
    std::array<Shuffle, 64> shuffles{};
    for (int whole = 0; whole < 8; ++whole) {
        for (int fraction = 0; fraction < 8; ++fraction) {
            for (int lane = 0; lane < 16; ++lane) {
                const int digit = lane - (16 - whole - fraction); // from the word's first
                shuffles[static_cast<std::size_t>(whole * 8 + fraction)].lanes[static_cast<std::size_t>(lane)] =
                    static_cast<std::int8_t>(digit < 0 ? -128 : digit < whole ? digit : digit + 1);
            }
        }
    }
    return shuffles;
}();

// The same integer from sixteen bytes at once: the digits shuffled into
// place, then pairs, fours and eights of them added with their weights.
// Needs SSSE3 and SSE4.1.
struct ShuffledDigits {
    [[gnu::target("sse4.1")]] static std::uint64_t value(const char* word, unsigned whole, unsigned fraction) noexcept {
        const __m128i digits = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(word)), _mm_set1_epi8('0'));
        const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(SHUFFLES[whole * 8 + fraction].lanes.data()));
        const __m128i placed = _mm_shuffle_epi8(digits, shuffle);
        const __m128i pairs = _mm_maddubs_epi16(placed, _mm_set1_epi16(0x010A));     // 10 a + b
        const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));     // 100 ab + cd
        const __m128i packed = _mm_packus_epi32(fours, fours);
        const __m128i eights = _mm_madd_epi16(packed, _mm_set1_epi32(0x00012710));   // 10000 abcd + efgh
        const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(eights));
        const auto low = static_cast<std::uint32_t>(_mm_extract_epi32(eights, 1));
        return std::uint64_t{high} * 100'000'000 + low;
    }
};
#endif

// The word of bytes [start, end) of the window, when it is up to 7 digits,
// optionally a point and 1 to 7 more, the shape nearly every word has: its
// value as the plain-decimal fast path gives it, w / 10^k with both exact.
// False for any other word.
template <typename Digits>
bool convert_short_word(const char* word, unsigned start, unsigned end, const Window& window,
                        double& value) noexcept {
    namespace detail = plain_decimal_detail;
    const unsigned length = end - start;
    if (length > 15) {
        return false;
    }
    const std::uint64_t bits = ((std::uint64_t{1} << length) - 1) << start;
    const std::uint64_t point = window.point & bits;
    if ((window.digit & bits) != (bits & ~point) || (point & (point - 1)) != 0) {
        return false; // a byte that is neither a digit nor the one point
    }
    if (point == 0) {
        if (length > 7) {
            return false;
        }
        value = static_cast<double>(Digits::value(word, length, 0));
        return true;
    }
    const auto whole_digits = static_cast<unsigned>(std::countr_zero(point)) - start;
    const unsigned fraction_digits = length - whole_digits - 1;
    if (whole_digits > 7 || fraction_digits == 0 || fraction_digits > 7) {
        return false;
    }
    const std::uint64_t w = Digits::value(word, whole_digits, fraction_digits);
    value = static_cast<double>(w) / detail::POWERS_OF_TEN[fraction_digits];
    return true;
}
#endif

// Words are found from masks of white space, sixty-four bytes at a time, so
// that finding the next word does not wait for the value of this one: the
// conversions of neighbouring words overlap. A word that is not of the
// short shape takes the one-word path, which accepts the same words and
// gives the same values; so does the text near the end.
template <typename Digits>
PieceOutcome convert_with(const char* first, const char* last, DistanceMatrix& matrix, std::int64_t index,
                          std::int64_t limit) noexcept {
    Cells cells(matrix, index);
    const std::int64_t wanted = limit - index;
    std::int64_t entries = 0;
    const char* p = first;
#if defined(__SSE2__)
    bool after_space = true; // the byte before p
    while (entries < wanted && last - p >= WINDOW + WINDOW_SLACK) {
        const Window window = window_at(p);
        std::uint64_t starts = ~window.space & ((window.space << 1U) | (after_space ? 1U : 0U));
        const char* next = p + WINDOW;
        after_space = (window.space >> 63U) != 0;
        while (starts != 0) {
            const auto start = static_cast<unsigned>(std::countr_zero(starts));
            const std::uint64_t spaces_after = window.space >> start;
            if (spaces_after == 0) { // the word goes on past the window: it starts the next one
                next = p + start;
                after_space = true;
                break;
            }
            const unsigned end = start + static_cast<unsigned>(std::countr_zero(spaces_after));
            const char* word = p + start;
            double value = 0.0;
            if (!convert_short_word<Digits>(word, start, end, window, value) && convert_word(word, last, value) == nullptr) {
                return {entries, word, true};
            }
            cells.store(value);
            if (++entries == wanted) {
                return {entries, p + end, false};
            }
            starts &= starts - 1;
        }
        if (next == p) { // one word fills the window: it is taken on its own
            double value = 0.0;
            const char* end = convert_word(p, last, value);
            if (end == nullptr) {
                return {entries, p, true};
            }
            cells.store(value);
            ++entries;
            next = end;
            after_space = false;
        }
        p = next;
    }
#endif
    while (entries < wanted) {
        while (p != last && is_space(*p)) {
            ++p;
        }
        if (p == last) {
            break;
        }
        double value = 0.0;
        const char* end = convert_word(p, last, value);
        if (end == nullptr) {
            return {entries, p, true};
        }
        cells.store(value);
        p = end;
        ++entries;
    }
    return {entries, p, false};
}

#if RF_SHUFFLED_DIGITS
// The loop compiled for SSE4.1 with everything it calls inlined into it.
[[gnu::target("sse4.1"), gnu::flatten]] PieceOutcome convert_shuffled(const char* first, const char* last,
                                                                      DistanceMatrix& matrix, std::int64_t index,
                                                                      std::int64_t limit) noexcept {
    return convert_with<ShuffledDigits>(first, last, matrix, index, limit);
}

bool has_shuffles() noexcept {
    static const bool supported = __builtin_cpu_supports("sse4.1") != 0; // a fact of the processor, set once
    return supported;
}
#endif

} // namespace

PieceOutcome convert_entries(const char* first, const char* last, DistanceMatrix& matrix, std::int64_t index,
                             std::int64_t limit) noexcept {
#if RF_SHUFFLED_DIGITS
    if (has_shuffles()) {
        return convert_shuffled(first, last, matrix, index, limit);
    }
#endif
    return convert_with<PortableDigits>(first, last, matrix, index, limit);
}

PieceOutcome convert_entries_portably(const char* first, const char* last, DistanceMatrix& matrix,
                                      std::int64_t index, std::int64_t limit) noexcept {
    return convert_with<PortableDigits>(first, last, matrix, index, limit);
}

} // namespace rf
