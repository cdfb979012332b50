// The matrices of a file one after another, as the library and rf_pairs
// read them: the first M, which the file must hold, or without M every
// matrix the file holds, the file ending after any whole matrix but the
// first. What stops the reading comes back as the text to report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine_types.hpp"
#include "matrix_file.hpp"

namespace rf {

struct NextMatrix {
    enum class Status { read, no_more, bad_input };
    Status status;
    std::string message; // bad_input: "Bad matrix number" or "Bad entry in matrix J, row I, column K"
};

class MatrixSequence {
public:
    // `input` has had its n read and outlives this; `count`: M.
    MatrixSequence(MatrixFile& input, std::optional<std::int64_t> count) noexcept;

    // Reads the next matrix into `matrix`, of n leaves.
    [[nodiscard]] NextMatrix next(DistanceMatrix& matrix);

private:
    MatrixFile& input_;
    std::optional<std::int64_t> count_;
    std::int64_t read_ = 0;
};

} // namespace rf
