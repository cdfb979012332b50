// The trees of one Newick or NEXUS file, one at a time. The file is read
// whole (a tree file is small beside the matrices of its trees); a NEXUS
// file's trees block is found, its translate table applied to the leaves'
// labels, and its "tree NAME = ...;" commands read in order, other blocks
// and commands skipped. A file that is not as its format has it is a
// TreeFileProblem with the line and column and what was expected.
//
// Thread-safety: one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "input_file.hpp"
#include "newick_parser.hpp"

namespace rf {

struct TreeFileProblem {
    std::int64_t line;   // counted from 1
    std::int64_t column; // counted from 1, in bytes
    std::string what;    // what was found and what was expected
};

class TreeFile {
public:
    enum class Format { newick, nexus };

    // Reads the whole file. Throws std::bad_alloc.
    TreeFile(InputFile file, Format format);

    // The next tree into `tree`, its leaves' labels translated; false at the
    // end of the trees. Throws TreeFileProblem.
    [[nodiscard]] bool next(NewickTree& tree);

    // The name of the last tree read from NEXUS ("tree NAME = ..."); empty
    // for Newick.
    [[nodiscard]] const std::string& tree_name() const noexcept { return tree_name_; }

private:
    [[nodiscard]] TreeFileProblem problem_at(const char* at, std::string_view what) const;
    [[nodiscard]] bool next_nexus(NewickTree& tree);
    void find_trees_block();
    void read_translate();
    [[nodiscard]] std::string_view next_word();
    void translate(NewickTree& tree) const;

    Format format_;
    std::string text_;
    const char* at_ = nullptr;
    bool in_trees_ = false;
    bool done_ = false;
    std::unordered_map<std::string, std::string> translation_;
    std::string tree_name_;
    std::string word_; // the last word read, quotes resolved
};

} // namespace rf
