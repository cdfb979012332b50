// One matrix made a tree the library trusts as far as it should: the
// matrix surveyed (symmetric, no negative entry, no entry so large that
// sums overflow), its tree rebuilt by the method asked for, with the
// tolerance its scale asks for, edges that rounding left a hair below zero
// (or that neighbor joining left negative) made zero, and the tree
// measured against the matrix as it is. The one way every caller of the
// library rebuilds a tree.
#pragma once

#include <optional>
#include <string>

#include "cluster_tree.hpp"
#include "distance_matrix.hpp"
#include "matrix_survey.hpp"
#include "neighbor_joining.hpp"
#include "rf_compare/misfit.hpp"
#include "rf_compare/rebuild_method.hpp"
#include "rf_compare/tolerance.hpp"

namespace rf_compare::detail {

// What became of one matrix: how far its tree is from it, or why it was
// left out ("This is not an additive distance", or what is wrong with its
// entries, its rows and columns counted from 1).
struct TreeVerdict {
    bool rebuilt = false;
    Misfit misfit;        // of a rebuilt tree
    double largest = 0.0; // the matrix's largest entry
    std::string left_out;
    bool has_lengths = true; // false for a tree given without some edge's length
    // An additive tree, which for a matrix that is no tree metric depends
    // on the order of the leaves; neighbor joining's does not.
    bool depends_on_leaf_order = false;
    // Such a tree of a matrix of small entries under an absolute tolerance,
    // tried with the relative tolerance: it came out another tree.
    bool relative_tolerance_differs = false;
};

struct JudgedTree {
    std::optional<rf::ClusterTree> tree; // nothing: left out
    TreeVerdict verdict;
    std::optional<rf::MatrixFault> fault; // no distance matrix
};

// How to rebuild: `strict`, a relative misfit beyond TREE_METRIC_MISFIT
// leaves the tree out as not additive; `work`, neighbor joining's threads
// and stop.
struct Rebuilding {
    Tolerance tolerance;
    bool strict = false;
    RebuildMethod method = RebuildMethod::additive;
};

// Throws std::bad_alloc, rf::Cancelled (from work.stop).
[[nodiscard]] JudgedTree judge_matrix(const rf::DistanceMatrix& matrix, const Rebuilding& how,
                                      const rf::JoiningWork& work = {});

} // namespace rf_compare::detail
