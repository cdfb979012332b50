// The matrices of one or more files, one after another, as the programs
// and the library read them: each file in its format (the programs' own,
// PHYLIP or delimited text, recognised from its first lines unless one is
// named), the first `count` of them all, which the files must hold, or
// without a count every matrix they hold. Every matrix has the first's
// number of leaves and, where they have names, the first's leaves: a
// matrix is handed out with its leaves in the first's order. What stops
// the reading is an Error whose message names the file and the line, what
// was found and what was expected; its detail() is the programs' short
// text ("Bad entry in matrix 2, row 3, column 4").
//
// Thread-safety: one thread at a time; the reader's own threads convert
// numbers ahead.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "distance_matrix.hpp"
#include "leaf_names.hpp"
#include "matrix_format.hpp"
#include "named_matrix_reader.hpp"
#include "reader_settings.hpp"
#include "rf_compare/error.hpp"

namespace rf_compare::detail {

struct SourceOptions {
    std::optional<std::int64_t> count;
    rf::MatrixFormat format = rf::MatrixFormat::automatic;
    // The leaves' names of files whose format has none (the programs' own);
    // empty: none.
    std::vector<std::string> leaf_names;
    // A file that holds them, one per line, read once n is known (see
    // leaf_names_file.hpp); instead of leaf_names.
    std::optional<std::string> leaf_names_file = std::nullopt;
};

class MatrixSource {
public:
    // Opens the first file, reading nothing yet. Throws file_not_found or
    // cannot_read.
    MatrixSource(std::vector<std::string> paths, SourceOptions options, const rf::ReaderSettings& reading);
    MatrixSource(const MatrixSource&) = delete;
    MatrixSource& operator=(const MatrixSource&) = delete;
    ~MatrixSource();

    // n, read at the first call, which also makes room for a matrix and
    // reads the leaf names file. Throws bad_input or too_large, and the
    // leaf names file's file_not_found or cannot_read.
    [[nodiscard]] std::int32_t leaf_count();
    // n once it has been read, else 0.
    [[nodiscard]] std::int32_t known_leaf_count() const noexcept { return leaf_count_; }

    // The next matrix, valid until the next call; null when every matrix
    // asked for has been read. Throws bad_input, file_not_found, cannot_read.
    [[nodiscard]] const rf::DistanceMatrix* next();

    // The leaves' names, in the order of the matrices handed out; empty when
    // they have none. Known once the first matrix has been read.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept { return names_.names(); }

    // True when nothing but white space is left in the programs' own format.
    [[nodiscard]] bool at_end();

    // From now on the first `count` matrices only, as if asked at the start.
    void limit_to(std::int64_t count);

private:
    void open_next_file();
    void read_header();
    [[nodiscard]] Error problem(const rf::FileProblem& problem) const;
    void put_in_order(const std::vector<std::int32_t>& order);

    std::vector<std::string> paths_;
    SourceOptions options_;
    rf::ReaderSettings reading_;
    std::size_t file_ = 0;                           // the file being read
    std::unique_ptr<rf::NamedMatrixReader> reader_;  // of paths_[file_]
    rf::MatrixFormat format_ = rf::MatrixFormat::rf; // of paths_[file_]
    std::int64_t read_in_file_ = 0;
    std::optional<std::int32_t> header_; // of the next matrix, read and not its body
    std::int32_t leaf_count_ = 0;
    std::optional<rf::DistanceMatrix> matrix_;
    std::optional<rf::DistanceMatrix> in_order_; // a matrix whose leaves came in another order
    std::vector<std::string> matrix_names_;
    LeafNames names_;
    std::int64_t read_ = 0;
};

} // namespace rf_compare::detail
