// A matrix file read one matrix at a time, with the programs' reader: n,
// then n-by-n matrices of decimal numbers separated by any white space.
//
// Thread-safety: one thread at a time. Errors: rf_compare::Error only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace rf_compare {

class TreeSet;

class MatrixReader {
public:
    // Opens the file and reads n. `count`: read that many matrices, which
    // the file must hold, and nothing after them; without it, every matrix
    // of the file. `threads`: at most this many threads convert the
    // numbers (0: one per usable CPU). Throws file_not_found, bad_input
    // ("Bad number of objects") or too_large ("Data matrix is too large").
    explicit MatrixReader(const std::string& path, std::optional<std::int64_t> count = std::nullopt,
                          std::size_t threads = 0);
    MatrixReader(MatrixReader&&) noexcept;
    MatrixReader& operator=(MatrixReader&&) noexcept;
    ~MatrixReader();

    [[nodiscard]] std::int32_t leaf_count() const noexcept;

    // Writes the next matrix to out[0 .. n*n), row by row, its diagonal 0;
    // false when every matrix has been read. Throws bad_input ("Bad matrix
    // number", "Bad entry in matrix J, row I, column K") or bad_argument
    // for an `out` of another size.
    bool read_next(std::span<double> out);

private:
    friend class TreeSet; // takes the matrices without copying them
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace rf_compare
