#include "matrix_file.hpp"

#include <limits>
#include <utility>

#include "number_parsing.hpp"

namespace rf {

MatrixFile::MatrixFile(InputFile file, const ReaderSettings& settings)
    : words_(std::move(file), settings.block_size), converter_(settings.threads, settings.piece_size) {}

LeafCountResult MatrixFile::read_leaf_count() {
    const std::string_view word = words_.next_word();
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

MatrixReadResult MatrixFile::read_matrix(DistanceMatrix& matrix) {
    const std::int64_t n = matrix.leaf_count();
    const std::int64_t entries = n * n;
    std::int64_t index = 0;
    while (index < entries) {
        const std::string_view words = words_.complete_words();
        if (words.empty()) {
            return {MatrixStatus::input_ended};
        }
        const RegionOutcome outcome = converter_.convert(words, matrix, index, entries);
        words_.consume(outcome.bytes);
        index += outcome.entries;
        if (outcome.bad) {
            return {MatrixStatus::bad_entry, static_cast<std::int32_t>(index / n + 1),
                    static_cast<std::int32_t>(index % n + 1)};
        }
    }
    for (std::int32_t i = 0; i <= matrix.leaf_count(); ++i) {
        matrix.at(i, i) = 0.0; // [0][0] too
    }
    return {MatrixStatus::ok};
}

bool MatrixFile::input_ended() { return words_.at_end(); }

} // namespace rf
