#include "rf_compare/matrix_reader.hpp"

#include <algorithm>

#include "guarded_call.hpp"
#include "matrix_reader_state.hpp"
#include "thread_choice.hpp"

namespace rf_compare {

MatrixReader::MatrixReader(std::vector<std::string> paths, ReadOptions options) {
    if (options.count && *options.count < 1) {
        throw Error(ErrorKind::bad_argument, "the number of matrices to read must be at least 1, not " +
                                                 std::to_string(*options.count));
    }
    if (paths.empty()) {
        throw Error(ErrorKind::bad_argument, "no matrix file given");
    }
    detail::guarded("reading the matrix files", [&] {
        const rf::ReaderSettings reading = rf::ReaderSettings::for_threads(detail::thread_use(options.threads));
        state_ = std::make_unique<State>(std::move(paths),
                                         detail::SourceOptions{options.count, options.format, std::move(options.leaf_names)},
                                         reading);
        static_cast<void>(state_->source.leaf_count());
    });
}

MatrixReader::MatrixReader(const std::string& path, ReadOptions options)
    : MatrixReader(std::vector<std::string>{path}, std::move(options)) {}

const std::vector<std::string>& MatrixReader::names() const noexcept { return state_->source.names(); }

MatrixReader::MatrixReader(MatrixReader&&) noexcept = default;
MatrixReader& MatrixReader::operator=(MatrixReader&&) noexcept = default;
MatrixReader::~MatrixReader() = default;

std::int32_t MatrixReader::leaf_count() const noexcept { return state_->source.known_leaf_count(); }

bool MatrixReader::read_next(std::span<double> out) {
    const std::int32_t n = leaf_count();
    if (out.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(n)) {
        throw Error(ErrorKind::bad_argument, "room for " + std::to_string(out.size()) + " numbers, not n * n");
    }
    const rf::DistanceMatrix* matrix = detail::guarded("reading a matrix", [&] { return state_->source.next(); });
    if (matrix == nullptr) {
        return false;
    }
    for (std::int32_t i = 1; i <= n; ++i) {
        std::copy_n(matrix->row(i) + 1, n, out.begin() + static_cast<std::ptrdiff_t>(i - 1) * n);
    }
    return true;
}

} // namespace rf_compare
