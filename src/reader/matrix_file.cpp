#include "matrix_file.hpp"

#include <limits>

#include "number_parsing.hpp"

namespace rf {

LeafCountResult read_leaf_count(WordReader& input) {
    const std::string_view word = input.next_word();
    std::int64_t value = 0;
    const auto [ptr, ec] = parse_integer(word.data(), word.data() + word.size(), value);
    if (word.empty() || ec == std::errc::invalid_argument || value < 2) {
        return {LeafCountStatus::bad, 0};
    }
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return {LeafCountStatus::too_large, 0};
    }
    return {LeafCountStatus::ok, static_cast<std::int32_t>(value)};
}

namespace {

enum class EntryStatus { ok, input_ended, bad };

// Converts the next word in place when it is a plain number; anything
// unusual (a long word, a bad one, an out-of-range value) takes the careful
// path over the whole word.
EntryStatus read_entry(WordReader& input, double& entry) {
    const std::string_view rest = input.upcoming();
    if (rest.empty()) {
        return EntryStatus::input_ended;
    }
    const auto [ptr, ec] = parse_real_prefix(rest.data(), rest.data() + rest.size(), entry);
    if (ec == std::errc{} && ptr != rest.data() && input.is_word_end(ptr)) {
        input.skip(static_cast<std::size_t>(ptr - rest.data()));
        return EntryStatus::ok;
    }
    const std::string_view word = input.next_word();
    return parse_real(word.data(), word.data() + word.size(), entry).ec == std::errc{} ? EntryStatus::ok
                                                                                       : EntryStatus::bad;
}

} // namespace

MatrixReadResult read_matrix(WordReader& input, DistanceMatrix& matrix) {
    const std::int32_t n = matrix.leaf_count();
    for (std::int32_t i = 1; i <= n; ++i) {
        double* row = matrix.row(i);
        for (std::int32_t k = 1; k <= n; ++k) {
            const EntryStatus status = read_entry(input, row[k]);
            if (status == EntryStatus::input_ended) {
                return {MatrixStatus::input_ended};
            }
            if (status == EntryStatus::bad) {
                return {MatrixStatus::bad_entry, i, k};
            }
        }
        row[i] = 0.0;
    }
    matrix.at(0, 0) = 0.0;
    return {MatrixStatus::ok};
}

bool input_ended(WordReader& input) { return input.at_end(); }

} // namespace rf
