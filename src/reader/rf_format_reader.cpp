#include "rf_format_reader.hpp"

namespace rf {

std::optional<std::int32_t> RfFormatReader::next_leaf_count() {
    if (n_ == 0) {
        const LeafCountResult leaves = file_.read_leaf_count();
        if (leaves.status == LeafCountStatus::bad) {
            throw FileProblem{FileProblem::Kind::bad_count, 0, "expected a whole number of leaves, at least 2"};
        }
        if (leaves.status == LeafCountStatus::too_large) {
            throw FileProblem{FileProblem::Kind::too_large, 0, "more leaves than any matrix can hold"};
        }
        n_ = leaves.leaf_count;
        return n_;
    }
    if (file_.input_ended()) {
        return std::nullopt;
    }
    return n_;
}

void RfFormatReader::read(DistanceMatrix& matrix, std::vector<std::string>& names) {
    names.clear();
    const MatrixReadResult result = file_.read_matrix(matrix);
    if (result.status == MatrixStatus::input_ended) {
        throw FileProblem{FileProblem::Kind::ended, 0, "the file ends inside a matrix"};
    }
    if (result.status == MatrixStatus::bad_entry) {
        throw FileProblem{FileProblem::Kind::bad_entry, 0, "expected a decimal number", result.row, result.column};
    }
}

} // namespace rf
