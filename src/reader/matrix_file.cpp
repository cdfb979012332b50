#include "matrix_file.hpp"

#include <limits>
#include <utility>

#include "number_parsing.hpp"
#include "white_space.hpp"

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
        const RegionOutcome outcome = converter_.convert(about_as_many(words, entries - index), matrix, index, entries);
        words_.consume(outcome.bytes);
        index += outcome.entries;
        converted_bytes_ += outcome.bytes;
        converted_entries_ += outcome.entries;
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

// A block may hold many small matrices: the words are shared among the
// threads only as far as the matrix is expected to reach, judged by the
// words read so far, so that no thread is given the next matrix's words.
// Any cut after white space is right; a short guess only takes one more run.
std::string_view MatrixFile::about_as_many(std::string_view words, std::int64_t entries) const {
    if (converted_entries_ == 0) {
        return words;
    }
    const double expected = static_cast<double>(entries) * static_cast<double>(converted_bytes_) /
                            static_cast<double>(converted_entries_);
    const double with_margin = expected + expected / 16 + 64;
    if (with_margin >= static_cast<double>(words.size())) {
        return words;
    }
    std::size_t cut = static_cast<std::size_t>(with_margin);
    while (cut != words.size() && !is_space(words[cut - 1])) {
        ++cut;
    }
    return words.substr(0, cut);
}

} // namespace rf
