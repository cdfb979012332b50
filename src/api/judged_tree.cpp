// SPDX-License-Identifier: MIT
#include "judged_tree.hpp"

#include <algorithm>
#include <cmath>

#include "cluster_table.hpp"
#include "messages.hpp"
#include "tree_misfit.hpp"
#include "tree_of_joins.hpp"
#include "tree_reconstruction.hpp"

namespace rf_compare::detail {

namespace {

// An absolute tolerance more than 1e-4 of the entries merges real edges.
constexpr double SMALL_ENTRIES = 1e-4;

std::optional<rf::ClusterTree> additive_tree(const rf::DistanceMatrix& matrix, const Tolerance& tolerance,
                                             double largest) {
    const double scale = tolerance.scale == Tolerance::Scale::relative ? largest : 1.0;
    return rf::rebuild_tree(matrix, {tolerance.zero * scale, tolerance.additivity_limit * scale});
}

bool same_splits(const rf::ClusterTree& a, const rf::ClusterTree& b) {
    const std::int32_t n = a.leaf_count;
    rf::ClusterTable table_a(n);
    rf::ClusterTable table_b(n);
    rf::ClusterList list_a(n);
    rf::ClusterList list_b(n);
    const std::int32_t count = rf::describe_clusters(a, table_a, list_a);
    if (rf::describe_clusters(b, table_b, list_b) != count) {
        return false;
    }
    for (std::int32_t p = 1; p <= count; ++p) {
        if (rf::compare_cluster_rows(table_a.row(list_a[p]), table_b.row(list_b[p]), table_a.words_per_row()) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

JudgedTree judge_matrix(const rf::DistanceMatrix& matrix, const Rebuilding& how, const rf::JoiningWork& work) {
    JudgedTree judged;
    const rf::MatrixSurvey survey = rf::survey_matrix(matrix);
    judged.verdict.largest = survey.largest;
    if (survey.fault) {
        judged.fault = survey.fault;
        judged.verdict.left_out = "entry in row " + std::to_string(survey.fault->row) + ", column " +
                                  std::to_string(survey.fault->column) + " " + fault_text(*survey.fault);
        return judged;
    }
    if (how.method == RebuildMethod::additive) {
        judged.tree = additive_tree(matrix, how.tolerance, survey.largest);
        judged.verdict.depends_on_leaf_order = true;
    } else {
        const double scale = how.tolerance.scale == Tolerance::Scale::relative ? survey.largest : 1.0;
        const auto formula =
            how.method == RebuildMethod::nj ? rf::JoiningFormula::neighbor_joining : rf::JoiningFormula::bionj;
        judged.tree = rf::tree_of_joins(rf::join_neighbors(matrix, formula, work), how.tolerance.zero * scale);
        // Distances far from any tree can grow by half at each join: past the
        // largest double, there is no tree to give.
        if (!std::all_of(judged.tree->edge_length.begin(), judged.tree->edge_length.end(),
                         [](double length) { return std::isfinite(length); })) {
            judged.tree.reset();
            judged.verdict.left_out = std::string(NOT_ADDITIVE) + ": its neighbor-joining lengths overflow";
            return judged;
        }
    }
    if (!judged.tree) {
        judged.verdict.left_out = std::string(NOT_ADDITIVE);
        return judged;
    }
    for (double& length : judged.tree->edge_length) { // rounding may leave a merged edge a hair below zero
        length = std::max(length, 0.0);
    }
    judged.verdict.misfit = rf::misfit_of(matrix, *judged.tree, survey.largest);
    const bool beyond = judged.verdict.misfit.relative > TREE_METRIC_MISFIT;
    if (how.strict && beyond) {
        judged.tree.reset();
        judged.verdict.left_out = std::string(NOT_ADDITIVE) + ": " + misfit_text(judged.verdict.misfit) + " (strict)";
        return judged;
    }
    if (beyond && judged.verdict.depends_on_leaf_order && how.tolerance.scale == Tolerance::Scale::absolute &&
        how.tolerance.zero > SMALL_ENTRIES * survey.largest) {
        const std::optional<rf::ClusterTree> relative = additive_tree(matrix, Tolerance::relative(), survey.largest);
        judged.verdict.relative_tolerance_differs = relative && !same_splits(*relative, *judged.tree);
    }
    judged.verdict.rebuilt = true;
    return judged;
}

} // namespace rf_compare::detail
