// How the format of a matrix file (rf_compare::FileFormat) is recognised
// from its first lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "input_file.hpp"
#include "rf_compare/file_format.hpp"

namespace rf {

using MatrixFormat = rf_compare::FileFormat;

// The format of a file that begins with `start` (its first lines, or all of
// it when it is shorter), or nothing with what was found: a count alone on
// its first line is rf or PHYLIP, told apart by whether the next line
// starts with a number or a name; a first line with commas, semicolons or
// tabs is delimited text; "(" or "[" first is Newick, "#NEXUS" NEXUS.
struct Recognised {
    std::optional<MatrixFormat> format;
    std::string found; // when there is no format: what the first line holds
};
[[nodiscard]] Recognised recognise_format(std::string_view start);

// The start of a file, enough to recognise its format: its first two lines
// that hold more than white space, or 64 KiB, or all of it. The caller
// gives it back to the file.
[[nodiscard]] std::string read_start(InputFile& file);

} // namespace rf
