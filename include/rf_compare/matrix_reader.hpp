// Matrix files read one matrix at a time, with the programs' reader: the
// programs' own format, PHYLIP and delimited text, one file or many, their
// matrices in order, each with its leaves in the first matrix's order of
// names (see rf_compare/file_format.hpp).
//
// Thread-safety: one thread at a time. Errors: rf_compare::Error only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rf_compare/file_format.hpp"

namespace rf_compare {

class TreeSet;

struct ReadOptions {
    // Read that many matrices, which the files must hold, and nothing after
    // them; without it, every matrix the files hold.
    std::optional<std::int64_t> count;
    FileFormat format = FileFormat::automatic; // of every file
    // The leaves' names for files whose format has none (rf); empty: none.
    std::vector<std::string> leaf_names;
    // At most this many threads convert the numbers (0: one per usable CPU).
    std::size_t threads = 0;
};

class MatrixReader {
public:
    // Opens the first file and reads n. Throws file_not_found,
    // cannot_read, bad_input (the file's place and what is wrong with it),
    // bad_argument (a count below 1) or too_large ("Data matrix is too
    // large").
    explicit MatrixReader(std::vector<std::string> paths, ReadOptions options = {});
    explicit MatrixReader(const std::string& path, ReadOptions options = {});
    MatrixReader(MatrixReader&&) noexcept;
    MatrixReader& operator=(MatrixReader&&) noexcept;
    ~MatrixReader();

    [[nodiscard]] std::int32_t leaf_count() const noexcept;

    // The leaves' names in the order of the matrices read, once the first
    // has been read; empty when the files give none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept;

    // Writes the next matrix to out[0 .. n*n), row by row, its diagonal 0;
    // false when every matrix has been read. Throws bad_input, the errors
    // of opening the next file, or bad_argument for an `out` of another
    // size.
    bool read_next(std::span<double> out);

private:
    friend class TreeSet; // takes the matrices without copying them
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace rf_compare
