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

MatrixReadResult read_matrix(WordReader& input, DistanceMatrix& matrix) {
    const std::int32_t n = matrix.leaf_count();
    for (std::int32_t i = 1; i <= n; ++i) {
        double* row = matrix.row(i);
        for (std::int32_t k = 1; k <= n; ++k) {
            const std::string_view word = input.next_word();
            if (word.empty()) {
                return {MatrixStatus::input_ended};
            }
            const auto [ptr, ec] = parse_real(word.data(), word.data() + word.size(), row[k]);
            if (ec != std::errc{}) {
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
