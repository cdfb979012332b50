#include "judged_tree.hpp"

#include <algorithm>

#include "messages.hpp"
#include "tree_misfit.hpp"
#include "tree_reconstruction.hpp"

namespace rf_compare::detail {

JudgedTree judge_matrix(const rf::DistanceMatrix& matrix, const Tolerance& tolerance, bool strict) {
    JudgedTree judged;
    const rf::MatrixSurvey survey = rf::survey_matrix(matrix);
    judged.verdict.largest = survey.largest;
    if (survey.fault) {
        judged.fault = survey.fault;
        judged.verdict.left_out = "entry in row " + std::to_string(survey.fault->row) + ", column " +
                                  std::to_string(survey.fault->column) + " " + fault_text(*survey.fault);
        return judged;
    }
    const double scale = tolerance.scale == Tolerance::Scale::relative ? survey.largest : 1.0;
    judged.tree = rf::rebuild_tree(matrix, {tolerance.zero * scale, tolerance.additivity_limit * scale});
    if (!judged.tree) {
        judged.verdict.left_out = std::string(NOT_ADDITIVE);
        return judged;
    }
    for (double& length : judged.tree->edge_length) { // rounding may leave a merged edge a hair below zero
        length = std::max(length, 0.0);
    }
    judged.verdict.misfit = rf::misfit_of(matrix, *judged.tree, survey.largest);
    if (strict && judged.verdict.misfit.relative > TREE_METRIC_MISFIT) {
        judged.tree.reset();
        judged.verdict.left_out = std::string(NOT_ADDITIVE) + ": " + misfit_text(judged.verdict.misfit) + " (strict)";
        return judged;
    }
    judged.verdict.rebuilt = true;
    return judged;
}

} // namespace rf_compare::detail
