// The two limits of the reconstruction: branch points and lengths at or
// below `zero` are taken as zero, and an offset or pendant length at or
// below `additivity_limit` rejects the matrix.
#pragma once

namespace rf {

inline constexpr double ZERO_TOLERANCE = 1e-05;
inline constexpr double ADDITIVITY_LIMIT = -0.01;

struct Tolerances {
    double zero = ZERO_TOLERANCE;
    double additivity_limit = ADDITIVITY_LIMIT;
};

} // namespace rf
