#include "matrix_sequence.hpp"

namespace rf {

MatrixSequence::MatrixSequence(MatrixFile& input, std::optional<std::int64_t> count) noexcept
    : input_(input), count_(count) {
    if (count) {
        input.set_matrix_limit(*count); // nothing after matrix M is read ahead
    }
}

NextMatrix MatrixSequence::next(DistanceMatrix& matrix) {
    if (count_ && read_ == *count_) {
        return {NextMatrix::Status::no_more, {}};
    }
    if (read_ > 0 && input_.input_ended()) {
        return count_ ? NextMatrix{NextMatrix::Status::bad_input, "Bad matrix number"}
                      : NextMatrix{NextMatrix::Status::no_more, {}};
    }
    const MatrixReadResult result = input_.read_matrix(matrix);
    if (result.status == MatrixStatus::input_ended) {
        return {NextMatrix::Status::bad_input, "Bad matrix number"};
    }
    ++read_;
    if (result.status == MatrixStatus::bad_entry) {
        return {NextMatrix::Status::bad_input, "Bad entry in matrix " + std::to_string(read_) + ", row " +
                                                   std::to_string(result.row) + ", column " +
                                                   std::to_string(result.column)};
    }
    return {NextMatrix::Status::read, {}};
}

} // namespace rf
