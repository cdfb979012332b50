// One file's matrices, read one after another, each with its leaves' names
// where the format gives them: what the readers of every format offer the
// matrix source. A file that is not as it should be throws FileProblem:
// its line, what was found and what was expected.
//
// Thread-safety: one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "distance_matrix.hpp"

namespace rf {

struct FileProblem {
    enum class Kind {
        bad_count,   // the number of leaves
        too_large,   // a number of leaves beyond any matrix
        bad_entry,   // a word that is not a number where one should be
        ended,       // the file ends inside a matrix
        bad_layout,  // names, rows and lines not as the format has them
    };
    Kind kind;
    std::int64_t line = 0; // counted from 1; 0 when not known (a pipe)
    std::string what;      // what was found, and what was expected
    std::int32_t row = 0;  // of a bad entry, counted from 1
    std::int32_t column = 0;
};

class NamedMatrixReader {
public:
    virtual ~NamedMatrixReader() = default;

    // The next matrix's number of leaves, or nothing when the file holds no
    // more matrices.
    [[nodiscard]] virtual std::optional<std::int32_t> next_leaf_count() = 0;

    // Nothing is converted ahead of matrix `count`: it is the last asked for.
    virtual void stop_after(std::int64_t count) { static_cast<void>(count); }

    // Reads that matrix into rows and columns 1..n of `matrix` (of that n),
    // the diagonal as 0, and its leaves' names (none in formats without).
    virtual void read(DistanceMatrix& matrix, std::vector<std::string>& names) = 0;
};

} // namespace rf
