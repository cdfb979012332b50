// Matrix entries from a run of complete words, converted by a team of
// threads when the run is long enough to share: it is cut into one piece per
// member at white space. Member 0 knows where its first word stands and
// converts at once; every other member counts the words of the piece before
// its own, adds them to where that piece starts, passes the sum on, and
// converts its own piece straight into the matrix. The outcome is the one a
// single thread reading in file order gives: the first bad word in file
// order is the one reported, and no word after the matrix's last entry is
// converted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "thread_team.hpp"
#include "distance_matrix.hpp"
#include "entry_conversion.hpp"

namespace rf {

struct RegionOutcome {
    std::int64_t entries; // stored, from the first entry asked for on
    std::size_t bytes;    // of the run used: up to the last entry stored, or to the bad word
    bool bad;             // stopped at a word that is not one decimal real
};

class RegionConverter {
public:
    // Up to threads.threads threads, each given at least piece_size bytes;
    // fewer when no more can be started.
    RegionConverter(const ThreadUse& threads, std::size_t piece_size);

    // Stores the words of `words` (each ending at white space or at the end
    // of the run) as entries index, index + 1, ... of the matrix, stopping
    // before entry `limit` or at the first bad word.
    [[nodiscard]] RegionOutcome convert(std::string_view words, DistanceMatrix& matrix, std::int64_t index,
                                        std::int64_t limit);

private:
    // One member's share of a job; each member writes only its own.
    struct alignas(64) Piece {
        const char* first = nullptr;
        const char* last = nullptr;
        std::atomic<std::int64_t> start{0}; // entry of its first word; NOT_KNOWN until its member knows
        PieceOutcome outcome{};
    };
    static constexpr std::int64_t NOT_KNOWN = -1;

    void cut_into_pieces(std::string_view words);
    [[nodiscard]] RegionOutcome merge_outcomes(const char* run, std::int64_t index, std::int64_t limit) const;

    std::size_t piece_size_;
    std::vector<Piece> pieces_;
    ThreadTeam team_;
};

} // namespace rf
