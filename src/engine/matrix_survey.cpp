#include "matrix_survey.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rf {

namespace {

// Rows compared at once with the rows below them: a cache line of each.
constexpr std::int32_t BAND = 8;

} // namespace

namespace {

// The first fault in row order: the lowest (row, column).
std::optional<MatrixFault> first_fault(const DistanceMatrix& matrix, double most, double allowed) noexcept {
    const std::int32_t n = matrix.leaf_count();
    for (std::int32_t i = 1; i <= n; ++i) {
        for (std::int32_t j = 1; j <= n; ++j) {
            const double a = matrix.at(i, j);
            const double b = matrix.at(j, i);
            if (j == i) {
                continue;
            }
            if (a < 0.0) {
                return MatrixFault{MatrixFault::Kind::negative, i, j, a, b};
            }
            if (a > most) {
                return MatrixFault{MatrixFault::Kind::too_large, i, j, a, b};
            }
            if (j > i && std::fabs(a - b) > allowed) {
                return MatrixFault{MatrixFault::Kind::asymmetric, i, j, a, b};
            }
        }
    }
    return std::nullopt;
}

} // namespace

// One pass over each entry and its mirror image without a branch: the
// largest entry, whether any is negative or too large, and the largest
// asymmetry. A band of BAND rows is compared with the same columns of every
// row below it: the band is read row by row, and the rows below give it
// one cache line each, at a constant stride that memory prefetches. Only a
// matrix with a fault is read again, row by row, for the first.
MatrixSurvey survey_matrix(const DistanceMatrix& matrix) noexcept {
    const std::int32_t n = matrix.leaf_count();
    // Two trees' distances add up to 4n edges of at most the largest entry.
    const double most = std::numeric_limits<double>::max() / (4.0 * static_cast<double>(n));
    double largest = 0.0;
    double asymmetry = 0.0;
    bool out_of_range = false;
    for (std::int32_t top = 1; top <= n; top += BAND) {
        const std::int32_t bottom = std::min(top + BAND, n + 1); // the band: rows top..bottom-1
        for (std::int32_t j = top + 1; j <= n; ++j) {
            const double* below = matrix.row(j);
            for (std::int32_t i = top; i < std::min(bottom, j); ++i) {
                const double a = matrix.at(i, j);
                const double b = below[i];
                const double high = a > b ? a : b;
                largest = high > largest ? high : largest;
                out_of_range |= (a < 0.0) | (b < 0.0) | (high > most);
                const double apart = std::fabs(a - b);
                asymmetry = apart > asymmetry ? apart : asymmetry;
            }
        }
    }
    MatrixSurvey survey;
    const double allowed = ASYMMETRY_ALLOWED * largest;
    if (out_of_range || asymmetry > allowed) {
        double magnitude = 0.0; // a negative entry may be the largest in magnitude
        for (std::int32_t i = 1; i <= n; ++i) {
            for (std::int32_t j = 1; j <= n; ++j) {
                magnitude = j == i ? magnitude : std::max(magnitude, std::fabs(matrix.at(i, j)));
            }
        }
        survey.largest = magnitude;
        survey.fault = first_fault(matrix, most, ASYMMETRY_ALLOWED * magnitude);
        return survey;
    }
    survey.largest = largest;
    return survey;
}

} // namespace rf
