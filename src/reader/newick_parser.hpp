// One Newick tree from text, as tree files write it: nested parentheses,
// leaf labels (quoted in single quotes, a quote inside doubled; or
// unquoted, an underscore read as a blank), inner node labels (support
// values; read and ignored), ":length" in any decimal or exponent form,
// comments in square brackets anywhere between tokens ("[&R]", "[&U]",
// annotations), white space and line breaks anywhere between tokens, and
// ";" at the end. Without recursion: a tree's depth costs no stack.
//
// Hot code: no allocation per token once the tree's vectors have grown to
// a tree's size (they are reused from tree to tree), no exceptions but
// std::bad_alloc; the outcome is {ptr, problem} like std::from_chars.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rf {

struct NewickNode {
    std::int32_t parent;     // -1 for the root
    double length;           // NaN without ":length"
    std::uint32_t label_at;  // the leaf's label: labels[label_at, label_at + label_size)
    std::uint32_t label_size;
    bool leaf;               // no children
};

struct NewickTree {
    std::vector<NewickNode> nodes; // parents before children
    std::string labels;            // the leaves' labels, quotes and underscores resolved

    void clear() noexcept {
        nodes.clear();
        labels.clear();
    }
    [[nodiscard]] std::string_view label(const NewickNode& node) const noexcept {
        return std::string_view(labels).substr(node.label_at, node.label_size);
    }
};

enum class NewickProblem {
    none,
    ended,            // the text ends inside the tree
    no_tree,          // expected "(" or a leaf's label
    no_label,         // a leaf without a label: "(a,,b)"
    bad_length,       // ":" not followed by a decimal number
    unexpected,       // expected "," or ")" inside parentheses, ";" after the tree
    open_quote,       // a quoted label that is not closed
    open_comment,     // a comment that is not closed
};

// What a problem expected, for messages: "expected \",\" or \")\"".
[[nodiscard]] std::string_view expected_text(NewickProblem problem) noexcept;

struct NewickResult {
    const char* ptr; // after the ";", or where the problem is
    NewickProblem problem;
};

// Skips white space and bracketed comments; at `last`, or at an unclosed
// comment's "[" (open_comment).
[[nodiscard]] NewickResult skip_blank(const char* first, const char* last) noexcept;

// Reads one tree into `tree` (cleared first), from the first token at or
// after `first`.
[[nodiscard]] NewickResult parse_newick(const char* first, const char* last, NewickTree& tree);

} // namespace rf
