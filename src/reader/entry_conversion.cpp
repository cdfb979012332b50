#include "entry_conversion.hpp"

#include <bit>

#include "number_parsing.hpp"
#include "plain_decimal.hpp"
#include "white_space.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
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
// else the careful path over the whole word. Null for a bad word.
const char* convert_word(const char* p, const char* last, double& value) noexcept {
    const auto [end, ec] = parse_plain_decimal(p, last, value);
    if (ec == std::errc{} && (end == last || is_space(*end))) {
        return end;
    }
    const char* whole = word_end(p, last);
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
        const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
        const __m128i from_tab = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(from_tab, _mm_set1_epi8('\r' - '\t')), from_tab);
        const __m128i from_zero = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
        const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(from_zero, _mm_set1_epi8(9)), from_zero);
        const __m128i point = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('.'));
        const unsigned shift = 16U * static_cast<unsigned>(lane);
        window.space |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_or_si128(blank, control)))} << shift;
        window.digit |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(digit))} << shift;
        window.point |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(point))} << shift;
    }
    return window;
}

// The word of bytes [start, end) of the window, when it is up to 7 digits,
// optionally a point and 1 to 7 more, the shape nearly every word has: its
// value as the plain-decimal fast path gives it, w / 10^k with both exact.
// False for any other word.
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
        value = static_cast<double>(detail::leading_digits_value(detail::load_eight(word), length));
        return true;
    }
    const auto whole_digits = static_cast<unsigned>(std::countr_zero(point)) - start;
    const unsigned fraction_digits = length - whole_digits - 1;
    if (whole_digits > 7 || fraction_digits == 0 || fraction_digits > 7) {
        return false;
    }
    const std::uint64_t whole = whole_digits == 0 ? 0 : detail::leading_digits_value(detail::load_eight(word), whole_digits);
    const std::uint64_t w = whole * detail::INTEGER_POWERS_OF_TEN[fraction_digits] +
                            detail::leading_digits_value(detail::load_eight(word + whole_digits + 1), fraction_digits);
    value = static_cast<double>(w) / detail::POWERS_OF_TEN[fraction_digits];
    return true;
}
#endif

} // namespace

// Words are found from masks of white space, sixty-four bytes at a time, so
// that finding the next word does not wait for the value of this one: the
// conversions of neighbouring words overlap. A word that is not of the
// short shape takes the one-word path, which accepts the same words and
// gives the same values; so does the text near the end.
PieceOutcome convert_entries(const char* first, const char* last, DistanceMatrix& matrix, std::int64_t index,
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
            if (!convert_short_word(word, start, end, window, value) && convert_word(word, last, value) == nullptr) {
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

} // namespace rf
