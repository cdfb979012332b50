// One look at a whole matrix before its tree is trusted: its largest entry,
// and the first fault, row by row, that makes it no distance matrix at all:
// an entry that differs from its mirror image beyond rounding (more than
// 1e-4 of the largest entry: programs that compute the two triangles apart
// and print six decimals differ in the last digit), a negative entry off the diagonal, or
// entries so large that the reconstruction's sums of them, or the
// distances of two of its trees, could overflow.
#pragma once

#include <cstdint>
#include <optional>

#include "distance_matrix.hpp"

namespace rf {

inline constexpr double ASYMMETRY_ALLOWED = 1e-4; // of the largest entry

struct MatrixFault {
    enum class Kind { asymmetric, negative, too_large };
    Kind kind;
    std::int32_t row;    // leaves, counted from 1
    std::int32_t column;
    double value;        // D[row][column]
    double mirror;       // D[column][row]
};

struct MatrixSurvey {
    double largest = 0.0; // of the entries' magnitudes, the diagonal left out
    std::optional<MatrixFault> fault;
};

// The entries off the diagonal of rows and columns 1..n, which must be
// finite.
[[nodiscard]] MatrixSurvey survey_matrix(const DistanceMatrix& matrix) noexcept;

} // namespace rf
