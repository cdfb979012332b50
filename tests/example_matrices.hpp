// Matrices of four leaves, as matrix file text, shared by the tests that run
// the programs: inner edge {3, 4}; inner edge {2, 4}; a star; a matrix that
// is not additive.
#pragma once

#include <string>

namespace rf::testing {

inline const std::string EDGE_34 = "0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n";
inline const std::string EDGE_24 = "0 3 2 3\n3 0 3 2\n2 3 0 3\n3 2 3 0\n";
inline const std::string STAR = "0 2 2 2\n2 0 2 2\n2 2 0 2\n2 2 2 0\n";
inline const std::string SKEWED = "0 1 10 1\n1 0 1 1\n10 1 0 1\n1 1 1 0\n";

} // namespace rf::testing
