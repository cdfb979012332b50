// The formats of matrix files:
//   rf      the programs' own: n, then n-by-n matrices of numbers, no names;
//   phylip  PHYLIP distance matrices, one data set after another: a count
//           line n, then n rows of a name and numbers (square, lower- or
//           upper-triangular; names of ten characters or of one word; rows
//           wrapped over any lines);
//   csv     a header row of names, then rows that each start with their
//           name, fields separated by commas or semicolons; or rows of
//           numbers alone; one matrix per file;
//   tsv     the same with tabs;
//   newick  trees, not matrices: one or more Newick trees, each ending in ";";
//   nexus   trees in a NEXUS file's trees block, with or without a
//           translate table;
//   automatic  whichever the file's first lines show.
#pragma once

#include <optional>
#include <string_view>

namespace rf_compare {

enum class FileFormat { automatic, rf, phylip, csv, tsv, newick, nexus };

// True for the formats of tree files.
[[nodiscard]] constexpr bool holds_trees(FileFormat format) noexcept {
    return format == FileFormat::newick || format == FileFormat::nexus;
}

// The format named "auto", "rf", "phylip", "csv", "tsv", "newick" or
// "nexus"; nothing for any other name.
[[nodiscard]] constexpr std::optional<FileFormat> file_format_named(std::string_view name) noexcept {
    if (name == "auto") {
        return FileFormat::automatic;
    }
    if (name == "rf") {
        return FileFormat::rf;
    }
    if (name == "phylip") {
        return FileFormat::phylip;
    }
    if (name == "csv") {
        return FileFormat::csv;
    }
    if (name == "tsv") {
        return FileFormat::tsv;
    }
    if (name == "newick") {
        return FileFormat::newick;
    }
    if (name == "nexus") {
        return FileFormat::nexus;
    }
    return std::nullopt;
}

} // namespace rf_compare
