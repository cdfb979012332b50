// Reading the matrix file: the leaf count n, then n-by-n matrices of reals,
// row by row, as white-space separated words in any layout. Each matrix is
// complete as soon as its last word and the white space after it have
// arrived; nothing after the last matrix asked for is ever judged.
//
// A large matrix is converted by all the threads together, each a piece of
// it. Small matrices of a file on disk are converted ahead, one per thread,
// while the caller works on the matrix before: as many as fit in 16 MiB,
// their words in two buffers of 4 MiB. What the caller sees is the same
// either way.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "distance_matrix.hpp"
#include "input_file.hpp"
#include "lookahead_conversion.hpp"
#include "reader_settings.hpp"
#include "region_conversion.hpp"
#include "word_reader.hpp"

namespace rf {

enum class LeafCountStatus {
    ok,
    bad,       // not wholly a decimal integer, or below 2
    too_large, // beyond the signed 32-bit range
};

struct LeafCountResult {
    LeafCountStatus status;
    std::int32_t leaf_count;
};

enum class MatrixStatus {
    ok,
    input_ended, // the input ended before the matrix was complete
    bad_entry,   // a word that is not one decimal real, or overflows a double
};

struct MatrixReadResult {
    MatrixStatus status;
    std::int32_t row = 0; // where a bad entry stands, numbered from 1
    std::int32_t column = 0;
};

class MatrixFile {
public:
    MatrixFile(InputFile file, const ReaderSettings& settings);

    // Reads the first word of the file as n.
    [[nodiscard]] LeafCountResult read_leaf_count();

    // At most this many matrices will be asked for: none after them is
    // converted ahead.
    void set_matrix_limit(std::int64_t matrices) noexcept { matrix_limit_ = matrices; }

    // Reads n*n entries into rows and columns 1..n; the diagonal's words are
    // read and stored as 0, and so is entry [0][0]. After a failure the
    // matrix is only partly read and not to be used.
    [[nodiscard]] MatrixReadResult read_matrix(DistanceMatrix& matrix);

    // True when nothing but white space remains before the next matrix.
    [[nodiscard]] bool input_ended();

private:
    [[nodiscard]] MatrixReadResult read_in_place(DistanceMatrix& matrix);
    [[nodiscard]] MatrixReadResult take_converted(DistanceMatrix& matrix);
    void start_lookahead(std::int32_t n);
    void schedule_ahead();
    [[nodiscard]] std::string_view about_as_many(std::string_view words, std::int64_t entries) const;

    bool regular_file_; // before words_, which takes the file
    WordReader words_;
    RegionConverter converter_;
    ThreadUse threads_;
    std::optional<std::int64_t> matrix_limit_;
    std::int64_t matrices_started_ = 0; // read in place or scheduled ahead
    std::int64_t converted_bytes_ = 0; // of the words converted so far, with the space between them
    std::int64_t converted_entries_ = 0;
    std::size_t lookahead_capacity_ = 0; // bytes of words to hold for the matrices ahead
    std::size_t entries_per_matrix_ = 0;
    std::uint64_t scheduled_before_change_ = 0; // matrices scheduled from the buffer before this one
    std::optional<LookaheadConverter> lookahead_; // last: stopped before the words it reads go
};

} // namespace rf
