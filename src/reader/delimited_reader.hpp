// One matrix as delimited text, as spreadsheets and R's write.csv and
// write.table write it: fields separated by commas, semicolons or tabs,
// quoted with double quotes where they need it ("" for a quote inside); a
// header row of n names (after an empty or named corner field, or not),
// then n rows each starting with its name, placed by it; or n rows of n
// numbers and nothing else. One matrix per file.
#pragma once

#include "input_file.hpp"
#include "named_matrix_reader.hpp"
#include "text_window.hpp"

namespace rf {

class DelimitedReader final : public NamedMatrixReader {
public:
    // `delimiter`: ',', ';' or '\t'; 0 for whichever of ',' and ';' the
    // first line holds.
    DelimitedReader(InputFile file, char delimiter);

    [[nodiscard]] std::optional<std::int32_t> next_leaf_count() override;
    void read(DistanceMatrix& matrix, std::vector<std::string>& names) override;

private:
    struct Field {
        std::string text;
        bool quoted = false;
        [[nodiscard]] bool is_name() const;
    };
    struct Line {
        std::int64_t number;
        std::vector<Field> fields;
    };
    [[nodiscard]] std::optional<Line> next_line();
    [[nodiscard]] std::vector<Field> fields_of(std::string_view line, std::int64_t number) const;
    [[noreturn]] void fail(FileProblem::Kind kind, std::int64_t line, std::string what) const;

    TextWindow text_;
    char delimiter_;
    bool read_ = false;       // the one matrix has been asked for
    std::int32_t n_ = 0;
    std::vector<std::string> header_; // names, when there is a header row
    std::optional<Line> first_row_;   // the first row, read to tell a header from a row
};

} // namespace rf
