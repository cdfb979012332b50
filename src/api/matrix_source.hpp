// The matrices of a matrix file, one after another, as the programs and
// the library read them: the first `count`, which the file must hold, or
// without a count every matrix the file holds, the file ending after any
// whole matrix but the first. What stops the reading is an Error with the
// programs' texts.
//
// Thread-safety: one thread at a time; the reader's own threads convert
// numbers ahead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "distance_matrix.hpp"
#include "matrix_file.hpp"
#include "reader_settings.hpp"

namespace rf_compare::detail {

class MatrixSource {
public:
    // Opens the file, reading nothing yet. Throws file_not_found.
    MatrixSource(const std::string& path, std::optional<std::int64_t> count, const rf::ReaderSettings& reading);

    // n, read from the file at the first call, which also makes room for a
    // matrix. Throws bad_input (BAD_NUMBER_OF_OBJECTS) or too_large.
    [[nodiscard]] std::int32_t leaf_count();
    // n once it has been read, else 0.
    [[nodiscard]] std::int32_t known_leaf_count() const noexcept { return matrix_ ? matrix_->leaf_count() : 0; }

    // The next matrix, valid until the next call; null when every matrix
    // asked for has been read. Throws bad_input: BAD_MATRIX_NUMBER, or a bad
    // entry with its place.
    [[nodiscard]] const rf::DistanceMatrix* next();

    // True when nothing but white space is left.
    [[nodiscard]] bool at_end() { return file_.input_ended(); }

    // From now on the first `count` matrices only, as if asked at the start.
    void limit_to(std::int64_t count);

private:
    rf::MatrixFile file_;
    std::optional<std::int64_t> count_;
    std::optional<rf::DistanceMatrix> matrix_;
    std::int64_t read_ = 0;
};

} // namespace rf_compare::detail
