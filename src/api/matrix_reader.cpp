#include "rf_compare/matrix_reader.hpp"

#include <algorithm>

#include "guarded_call.hpp"
#include "matrix_reader_state.hpp"
#include "thread_choice.hpp"

namespace rf_compare {

MatrixReader::MatrixReader(const std::string& path, std::optional<std::int64_t> count, std::size_t threads) {
    if (count && *count < 0) {
        throw Error(ErrorKind::bad_argument, "a negative number of matrices: " + std::to_string(*count));
    }
    detail::guarded("reading " + path, [&] {
        state_ = std::make_unique<State>(path, count, rf::ReaderSettings::for_threads(detail::thread_use(threads)));
        static_cast<void>(state_->source.leaf_count());
    });
}

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
