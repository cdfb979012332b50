// Matrix entries from text: the words of one piece of a block, in file
// order, converted into the cells of a matrix from a given entry on.
#pragma once

#include <cstdint>

#include "distance_matrix.hpp"

namespace rf {

struct PieceOutcome {
    std::int64_t entries; // words converted and stored
    const char* stop;     // after the last word stored, or at the bad word
    bool bad;             // stopped at a word that is not one decimal real
};

// Stores the words of [first, last) as entries index, index + 1, ... of the
// matrix, entry k being row k / n + 1, column k % n + 1, and stops before
// entry `limit`, at the end of the text or at the first bad word, whichever
// comes first. Every word must end at white space or at `last`.
[[nodiscard]] PieceOutcome convert_entries(const char* first, const char* last, DistanceMatrix& matrix,
                                           std::int64_t index, std::int64_t limit) noexcept;

// The same, with the instructions every processor of the platform has,
// whatever this one has beyond them: how the tests reach both ways.
[[nodiscard]] PieceOutcome convert_entries_portably(const char* first, const char* last, DistanceMatrix& matrix,
                                                    std::int64_t index, std::int64_t limit) noexcept;

} // namespace rf
