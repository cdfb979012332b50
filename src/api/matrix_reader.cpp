#include <algorithm>
#include <new>
#include <string>

#include "input_file.hpp"
#include "matrix_file.hpp"
#include "matrix_sequence.hpp"
#include "reader_settings.hpp"
#include "rf_compare/rf_compare.hpp"

namespace rf_compare {

namespace {

rf::MatrixFile open_matrix_file(const std::string& path) {
    std::optional<rf::InputFile> file = rf::InputFile::open(path);
    if (!file) {
        throw FileNotFound("File " + path + " was not found");
    }
    return {std::move(*file), rf::ReaderSettings::for_this_machine()};
}

std::int32_t read_leaf_count(rf::MatrixFile& input) {
    const rf::LeafCountResult leaves = input.read_leaf_count();
    if (leaves.status == rf::LeafCountStatus::bad) {
        throw BadInput("Bad number of objects");
    }
    if (leaves.status == rf::LeafCountStatus::too_large) {
        throw TooLarge("Data matrix is too large");
    }
    return leaves.leaf_count;
}

rf::DistanceMatrix allocate_matrix(std::int32_t n) {
    try {
        return rf::DistanceMatrix(n);
    } catch (const std::bad_alloc&) { // bad_array_new_length too: sizes that overflow
        throw TooLarge("Data matrix is too large");
    }
}

} // namespace

// The file and the matrix every read goes into, as rf_pairs reads them.
struct MatrixReader::State {
    State(const std::string& path, std::optional<std::int64_t> count)
        : input(open_matrix_file(path)), matrix(allocate_matrix(read_leaf_count(input))), matrices(input, count) {}

    rf::MatrixFile input;
    rf::DistanceMatrix matrix;
    rf::MatrixSequence matrices; // of input, which stays where it is
};

MatrixReader::MatrixReader(const std::string& path, std::optional<std::int64_t> count) {
    if (count && *count < 0) {
        throw BadArgument("a negative number of matrices: " + std::to_string(*count));
    }
    state_ = std::make_unique<State>(path, count);
}

MatrixReader::MatrixReader(MatrixReader&&) noexcept = default;
MatrixReader& MatrixReader::operator=(MatrixReader&&) noexcept = default;
MatrixReader::~MatrixReader() = default;

std::int32_t MatrixReader::leaf_count() const noexcept { return state_->matrix.leaf_count(); }

bool MatrixReader::read_next(std::span<double> out) {
    State& s = *state_;
    const std::int32_t n = s.matrix.leaf_count();
    if (out.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(n)) {
        throw BadArgument("room for " + std::to_string(out.size()) + " numbers, not n * n");
    }
    const rf::NextMatrix next = s.matrices.next(s.matrix);
    if (next.status == rf::NextMatrix::Status::no_more) {
        return false;
    }
    if (next.status == rf::NextMatrix::Status::bad_input) {
        throw BadInput(next.message);
    }
    for (std::int32_t i = 1; i <= n; ++i) {
        std::copy_n(s.matrix.row(i) + 1, n, out.begin() + static_cast<std::ptrdiff_t>(i - 1) * n);
    }
    return true;
}

} // namespace rf_compare
