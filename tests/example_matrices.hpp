// Matrices of four leaves, as matrix file text, shared by the tests that run
// the programs: inner edge {3, 4}; inner edge {2, 4}; a star; a matrix that
// is not additive. Every edge has length 1, but in the last two: inner edge
// {3, 4} of length 0.5; leaf 1's edge of length 3. Then matrices that are
// no tree metric (4 + 4 != 5 + 5: its tree is 2 off, 40 % of 5) and no
// distance matrix at all.
#pragma once

#include <string>

namespace rf::testing {

inline const std::string EDGE_34 = "0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n";
inline const std::string EDGE_24 = "0 3 2 3\n3 0 3 2\n2 3 0 3\n3 2 3 0\n";
inline const std::string STAR = "0 2 2 2\n2 0 2 2\n2 2 0 2\n2 2 2 0\n";
inline const std::string SKEWED = "0 1 10 1\n1 0 1 1\n10 1 0 1\n1 1 1 0\n";
inline const std::string SHORT_34 = "0 2 2.5 2.5\n2 0 2.5 2.5\n2.5 2.5 0 2\n2.5 2.5 2 0\n";
inline const std::string LONG_LEAF_1 = "0 4 5 5\n4 0 3 3\n5 3 0 2\n5 3 2 0\n";
inline const std::string NO_TREE_METRIC = "0 3 4 5\n3 0 5 4\n4 5 0 3\n5 4 3 0\n";
inline const std::string ASYMMETRIC = "0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2.5 0\n";
inline const std::string NEGATIVE = "0 -0.005 3 3\n-0.005 0 3 3\n3 3 0 2\n3 3 2 0\n";
inline const std::string HUGE = "0 2e307 3 3\n2e307 0 3 3\n3 3 0 2\n3 3 2 0\n";

} // namespace rf::testing
