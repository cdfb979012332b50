// Tree files read one tree at a time: Newick (one or many trees, across
// lines, comments in square brackets skipped) and NEXUS (the trees block,
// its translate table applied), one file or many, their trees in order.
// Every tree must name the same leaves as the first.
//
// Thread-safety: one thread at a time. Errors: rf_compare::Error only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rf_compare/file_format.hpp"
#include "rf_compare/tree.hpp"

namespace rf_compare {

class TreeReader {
public:
    // Opens the first file. `format`: automatic, newick or nexus. Throws
    // file_not_found, cannot_read, bad_argument (a matrix format).
    explicit TreeReader(std::vector<std::string> paths, FileFormat format = FileFormat::automatic);
    TreeReader(TreeReader&&) noexcept;
    TreeReader& operator=(TreeReader&&) noexcept;
    ~TreeReader();

    // The next tree; nothing when every file has been read. Throws
    // bad_input ("trees.nex, line 12, column 40: found "x", expected ..."),
    // bad_argument (leaves named twice or not as the first tree's, with the
    // file and the tree), the errors of opening the next file, too_large.
    [[nodiscard]] std::optional<Tree> next();

    // How many trees next() has given.
    [[nodiscard]] std::int64_t count() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// True for a tree file: by `format`, or when it is automatic, by the
// file's first lines. A file that cannot be opened, or is not a file on
// disk (a pipe, whose first lines only its reader may take), is taken as a
// matrix file, whose reader then says what is wrong with it. Throws
// too_large only.
[[nodiscard]] bool is_tree_file(const std::string& path, FileFormat format);

} // namespace rf_compare
