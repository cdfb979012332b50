#include "entry_conversion.hpp"

#include "number_parsing.hpp"
#include "plain_decimal.hpp"
#include "white_space.hpp"

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

} // namespace

PieceOutcome convert_entries(const char* first, const char* last, DistanceMatrix& matrix, std::int64_t index,
                             std::int64_t limit) noexcept {
    const std::int64_t n = matrix.leaf_count();
    auto row = static_cast<std::int32_t>(index / n + 1);
    std::int64_t column = index % n + 1;
    double* cell = matrix.row(row) + column;
    const char* p = first;
    std::int64_t entries = 0;
    while (entries < limit - index) {
        while (p != last && is_space(*p)) {
            ++p;
        }
        if (p == last) {
            break;
        }
        const char* end = convert_word(p, last, *cell);
        if (end == nullptr) {
            return {entries, p, true};
        }
        p = end;
        ++entries;
        if (column < n) {
            ++column;
            ++cell;
        } else if (row < n) { // column 0 of the next row is never filled
            column = 1;
            ++row;
            cell = matrix.row(row) + 1;
        }
    }
    return {entries, p, false};
}

} // namespace rf
