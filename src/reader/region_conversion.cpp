#include "region_conversion.hpp"

#include <algorithm>
#include <thread>

#include "white_space.hpp"
#include "word_count.hpp"

namespace rf {

RegionConverter::RegionConverter(const ThreadUse& threads, std::size_t piece_size)
    : piece_size_(std::max<std::size_t>(piece_size, 1)), team_(threads) {
    pieces_ = std::vector<Piece>(team_.size());
}

RegionOutcome RegionConverter::convert(std::string_view words, DistanceMatrix& matrix, std::int64_t index,
                                       std::int64_t limit) {
    if (team_.size() == 1 || words.size() < team_.size() * piece_size_) {
        const PieceOutcome outcome = convert_entries(words.data(), words.data() + words.size(), matrix, index, limit);
        return {outcome.entries, static_cast<std::size_t>(outcome.stop - words.data()), outcome.bad};
    }
    cut_into_pieces(words);
    auto job = [this, &matrix, index, limit](std::size_t member) noexcept {
        Piece& piece = pieces_[member];
        std::int64_t start = index;
        if (member > 0) {
            const Piece& previous = pieces_[member - 1];
            const auto words_before = static_cast<std::int64_t>(count_words(previous.first, previous.last));
            // The previous member knows its start after one count at most:
            // a short wait, spent yielding (std::atomic::wait can miss the
            // wake-up with GCC 12 where the platform has no futex).
            std::int64_t previous_start = previous.start.load(std::memory_order_acquire);
            while (previous_start == NOT_KNOWN) {
                std::this_thread::yield();
                previous_start = previous.start.load(std::memory_order_acquire);
            }
            start = previous_start + words_before;
        }
        piece.start.store(start, std::memory_order_release);
        piece.outcome = start < limit ? convert_entries(piece.first, piece.last, matrix, start, limit)
                                      : PieceOutcome{0, piece.first, false};
    };
    team_.run(job);
    return merge_outcomes(words.data(), index, limit);
}

// Cuts just after white space, so that every piece but the first starts at a
// word boundary; a piece may be empty.
void RegionConverter::cut_into_pieces(std::string_view words) {
    const char* begin = words.data();
    const char* end = begin + words.size();
    const char* cut = begin;
    for (std::size_t member = 0; member < pieces_.size(); ++member) {
        Piece& piece = pieces_[member];
        piece.first = cut;
        if (member + 1 == pieces_.size()) {
            cut = end;
        } else {
            cut = std::max(cut, begin + words.size() * (member + 1) / pieces_.size());
            while (cut != end && !is_space(cut[-1])) {
                ++cut;
            }
        }
        piece.last = cut;
        piece.start.store(NOT_KNOWN, std::memory_order_relaxed);
    }
}

// The pieces in file order: the first bad word decides, and the entries end
// in the piece that reached the limit.
RegionOutcome RegionConverter::merge_outcomes(const char* run, std::int64_t index, std::int64_t limit) const {
    std::int64_t entries = 0;
    for (const Piece& piece : pieces_) {
        const PieceOutcome& outcome = piece.outcome;
        entries += outcome.entries;
        if (outcome.bad || index + entries == limit) {
            return {entries, static_cast<std::size_t>(outcome.stop - run), outcome.bad};
        }
    }
    return {entries, static_cast<std::size_t>(pieces_.back().last - run), false};
}

} // namespace rf
