#include "matrix_source.hpp"

#include <new>
#include <utility>

#include "input_file.hpp"
#include "messages.hpp"

namespace rf_compare::detail {

namespace {

rf::InputFile open_input(const std::string& path) {
    rf::OpenedFile opened = rf::InputFile::open(path);
    if (!opened.file) {
        throw cannot_open(path, opened.error);
    }
    return std::move(*opened.file);
}

Error bad_input(std::string_view text, const ErrorPlace& place = {}) { return {ErrorKind::bad_input, std::string(text), place}; }

} // namespace

MatrixSource::MatrixSource(const std::string& path, std::optional<std::int64_t> count, const rf::ReaderSettings& reading)
    : file_(open_input(path), reading) {
    if (count) {
        limit_to(*count);
    }
}

void MatrixSource::limit_to(std::int64_t count) {
    count_ = count;
    file_.set_matrix_limit(count); // nothing after matrix `count` is read ahead
}

std::int32_t MatrixSource::leaf_count() {
    if (matrix_) {
        return matrix_->leaf_count();
    }
    const rf::LeafCountResult leaves = file_.read_leaf_count();
    if (leaves.status == rf::LeafCountStatus::bad) {
        throw bad_input(BAD_NUMBER_OF_OBJECTS);
    }
    try {
        if (leaves.status == rf::LeafCountStatus::ok) {
            matrix_.emplace(leaves.leaf_count);
            return leaves.leaf_count;
        }
    } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
    }
    throw Error(ErrorKind::too_large, std::string(DATA_MATRIX_TOO_LARGE));
}

const rf::DistanceMatrix* MatrixSource::next() {
    static_cast<void>(leaf_count());
    if (count_ && read_ == *count_) {
        return nullptr;
    }
    if (read_ > 0 && file_.input_ended()) {
        if (count_) {
            throw bad_input(BAD_MATRIX_NUMBER);
        }
        return nullptr;
    }
    const rf::MatrixReadResult result = file_.read_matrix(*matrix_);
    if (result.status == rf::MatrixStatus::input_ended) {
        throw bad_input(BAD_MATRIX_NUMBER);
    }
    ++read_;
    if (result.status == rf::MatrixStatus::bad_entry) {
        const ErrorPlace place{static_cast<std::size_t>(read_ - 1), result.row - 1, result.column - 1};
        throw bad_input(bad_entry_text(place), place);
    }
    return &*matrix_;
}

} // namespace rf_compare::detail
