// PHYLIP distance matrices, one data set after another: a line with the
// number of leaves n, then n rows, each starting on a line of its own with
// the leaf's name and going on with its numbers over as many lines as it
// takes. Names are the first ten characters of the row (strict: blanks
// allowed, numbers may follow at once) or its first word (relaxed, any
// length). A row holds n numbers (square), those left of the diagonal
// (lower-triangular, with or without the diagonal) or those right of it
// (upper-triangular); triangles are mirrored. The name style and the
// layout are recognised from each data set's first rows. Numbers go through
// the same conversion as the programs' own format; rows that each fit on
// a line are converted by a team of threads, as many rows at a time as a
// block of the file holds.
#pragma once

#include "input_file.hpp"
#include "named_matrix_reader.hpp"
#include "text_window.hpp"
#include "thread_team.hpp"

namespace rf {

class PhylipReader final : public NamedMatrixReader {
public:
    PhylipReader(InputFile file, const ThreadUse& threads);

    [[nodiscard]] std::optional<std::int32_t> next_leaf_count() override;
    void read(DistanceMatrix& matrix, std::vector<std::string>& names) override;

private:
    enum class Layout { square, lower, lower_with_diagonal, upper };

    struct RowLine {
        std::string_view text;
        std::int64_t number; // the line's, from 1
    };
    struct RowFailure {
        std::int32_t row;
        FileProblem problem;
    };

    void recognise_rows();
    void read_rows_of_one_line(DistanceMatrix& matrix, std::vector<std::string>& names);
    void read_wrapped_rows(DistanceMatrix& matrix, std::vector<std::string>& names);
    [[nodiscard]] std::optional<FileProblem> convert_row(const RowLine& line, std::int32_t row, DistanceMatrix& matrix,
                                                         std::string& name) const;
    [[nodiscard]] std::optional<std::string_view> line_at(std::size_t offset);
    [[nodiscard]] std::string_view line_in_view();
    [[nodiscard]] std::string read_name();
    void read_numbers(DistanceMatrix& matrix, std::int32_t row, const std::string& name);
    [[nodiscard]] std::int32_t numbers_in_row(std::int32_t row) const noexcept;
    [[nodiscard]] std::int32_t first_column(std::int32_t row) const noexcept;
    void skip_blank_lines();
    void expect_row_end(const std::string& name);
    [[noreturn]] void fail(FileProblem::Kind kind, std::int64_t line, std::string what) const;

    TextWindow text_;
    ThreadTeam team_;
    std::vector<RowLine> lines_; // the rows of one block, kept for the next
    std::int32_t n_ = 0;
    Layout layout_ = Layout::square;
    bool strict_names_ = false;
    bool one_line_rows_ = true; // every row on its own line: its numbers are not looked for beyond it
};

} // namespace rf
