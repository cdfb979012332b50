#include "matrix_file.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "number_parsing.hpp"
#include "white_space.hpp"
#include "word_count.hpp"

namespace rf {

namespace {

// What the matrices converted ahead may take: matrices, and their words in
// each of the two buffers read into.
constexpr std::size_t AHEAD_MATRIX_BYTES = std::size_t{16} << 20;
constexpr std::size_t AHEAD_WORD_BYTES = std::size_t{4} << 20;
// Matrices ahead per thread: enough that no thread waits for the next.
constexpr std::size_t AHEAD_PER_THREAD = 4;

} // namespace

MatrixFile::MatrixFile(InputFile file, const ReaderSettings& settings)
    : regular_file_(file.is_regular_file()), words_(std::move(file), settings.block_size),
      converter_(settings.threads, settings.piece_size), threads_(settings.threads) {}

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
    if (lookahead_) {
        if (!lookahead_->has_matrices()) {
            schedule_ahead();
        }
        if (lookahead_->has_matrices()) {
            return take_converted(matrix);
        }
    }
    const MatrixReadResult result = read_in_place(matrix);
    if (result.status == MatrixStatus::ok && matrices_started_ == 1) {
        start_lookahead(matrix.leaf_count());
    }
    return result;
}

MatrixReadResult MatrixFile::take_converted(DistanceMatrix& matrix) {
    const PieceOutcome outcome = lookahead_->take(matrix);
    // More matrices for the threads while the caller works on this one.
    schedule_ahead();
    if (outcome.bad) {
        const std::int64_t n = matrix.leaf_count();
        return {MatrixStatus::bad_entry, static_cast<std::int32_t>(outcome.entries / n + 1),
                static_cast<std::int32_t>(outcome.entries % n + 1)};
    }
    return {MatrixStatus::ok};
}

// Converting ahead pays when there are threads to do it, reads never wait
// for another program to write (a pipe might be waiting for the result of
// this very matrix), and at least two matrices fit.
void MatrixFile::start_lookahead(std::int32_t n) {
    if (threads_.threads < 2 || !regular_file_ || (matrix_limit_ && *matrix_limit_ <= 2) || converted_entries_ == 0) {
        return;
    }
    const auto matrix_bytes = 8 * (static_cast<std::size_t>(n) + 1) * (static_cast<std::size_t>(n) + 1);
    const auto word_bytes = static_cast<std::size_t>(static_cast<double>(converted_bytes_) /
                                                     static_cast<double>(converted_entries_) * n * n * 1.125) + 64;
    const std::size_t slots = std::min({AHEAD_PER_THREAD * threads_.threads, AHEAD_MATRIX_BYTES / matrix_bytes,
                                        AHEAD_WORD_BYTES / word_bytes - 1});
    if (slots < 2 || AHEAD_WORD_BYTES < 3 * word_bytes) {
        return;
    }
    try {
        lookahead_.emplace(n, slots, threads_.threads - 1, threads_.start);
        lookahead_capacity_ = (slots + 1) * word_bytes;
        entries_per_matrix_ = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    } catch (const std::exception&) { // no room or no threads: read in place, slower, never wrong
        lookahead_.reset();
    }
}

// Schedules the matrices whose words have all been read, as many as there
// are free slots, reading more when it needs to. Reading moves none of the
// words already read, but a change of buffers overwrites the one before:
// only once the matrices scheduled from its words are converted. A
// matrix's words, once scheduled, are consumed: they stay where they are.
void MatrixFile::schedule_ahead() {
    for (bool read_more = false;; read_more = true) {
        if (read_more) {
            if (!words_.has_room() && !lookahead_->converted_first(scheduled_before_change_)) {
                return;
            }
            const std::uint64_t changes = words_.buffer_changes();
            if (!words_.read_ahead(lookahead_capacity_)) {
                return;
            }
            if (words_.buffer_changes() != changes) {
                scheduled_before_change_ = lookahead_->scheduled();
            }
        }
        const std::string_view words = words_.buffered_words();
        const char* p = words.data();
        const char* const end = words.data() + words.size();
        std::size_t free = lookahead_->free_slots();
        for (; free != 0 && !(matrix_limit_ && matrices_started_ == *matrix_limit_); --free) {
            const char* last = find_word(p, end, entries_per_matrix_ - 1);
            if (last == end) {
                break; // not all its words are here yet
            }
            const char* next = find_word(last, end, 1);
            lookahead_->schedule({p, static_cast<std::size_t>(next - p)});
            ++matrices_started_;
            p = next;
        }
        words_.consume(static_cast<std::size_t>(p - words.data()));
        if (free == 0 || (matrix_limit_ && matrices_started_ == *matrix_limit_)) {
            return;
        }
    }
}

MatrixReadResult MatrixFile::read_in_place(DistanceMatrix& matrix) {
    ++matrices_started_;
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

bool MatrixFile::input_ended() {
    if (lookahead_ && lookahead_->has_matrices()) {
        return false;
    }
    return words_.at_end(); // no matrix is being converted: the words may move
}

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
