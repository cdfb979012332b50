#include "newick_parser.hpp"

#include <cmath>
#include <limits>

#include "number_parsing.hpp"

namespace rf {

namespace {

constexpr double NO_LENGTH = std::numeric_limits<double>::quiet_NaN();

bool is_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Ends an unquoted label or a length.
bool ends_word(char c) noexcept {
    return is_blank(c) || c == '(' || c == ')' || c == '[' || c == ']' || c == '\'' || c == ':' || c == ';' ||
           c == ',';
}

// A label, quoted or not, appended to `labels`; an empty one where none is.
NewickResult read_label(const char* at, const char* last, std::string& labels) {
    if (at != last && *at == '\'') {
        for (const char* c = at + 1; c != last; ++c) {
            if (*c != '\'') {
                labels.push_back(*c);
            } else if (c + 1 != last && c[1] == '\'') {
                labels.push_back('\'');
                ++c;
            } else {
                return {c + 1, NewickProblem::none};
            }
        }
        return {at, NewickProblem::open_quote};
    }
    const char* c = at;
    for (; c != last && !ends_word(*c); ++c) {
        labels.push_back(*c == '_' ? ' ' : *c);
    }
    return {c, NewickProblem::none};
}

// An optional ":length" after a node.
NewickResult read_length(const char* at, const char* last, double& length) noexcept {
    NewickResult blank = skip_blank(at, last);
    if (blank.problem != NewickProblem::none || blank.ptr == last || *blank.ptr != ':') {
        return blank;
    }
    blank = skip_blank(blank.ptr + 1, last);
    if (blank.problem != NewickProblem::none) {
        return blank;
    }
    const char* end = blank.ptr;
    while (end != last && !ends_word(*end)) {
        ++end;
    }
    if (end == blank.ptr || parse_real(blank.ptr, end, length).ec != std::errc{}) {
        return {blank.ptr, blank.ptr == last ? NewickProblem::ended : NewickProblem::bad_length};
    }
    return {end, NewickProblem::none};
}

} // namespace

std::string_view expected_text(NewickProblem problem) noexcept {
    switch (problem) {
    case NewickProblem::none:
        return "";
    case NewickProblem::ended:
        return "the text ends inside a tree";
    case NewickProblem::no_tree:
        return "expected \"(\" or a leaf's label";
    case NewickProblem::no_label:
        return "expected a leaf's label";
    case NewickProblem::bad_length:
        return "expected a decimal number, the length after \":\"";
    case NewickProblem::unexpected:
        return "expected \",\" or \")\", or \";\" at the end of the tree";
    case NewickProblem::open_quote:
        return "a quoted label that is never closed";
    case NewickProblem::open_comment:
        return "a comment in [ ] that is never closed";
    }
    return "";
}

NewickResult skip_blank(const char* first, const char* last) noexcept {
    const char* c = first;
    while (c != last) {
        if (is_blank(*c)) {
            ++c;
        } else if (*c == '[') {
            const char* open = c;
            int depth = 0;
            for (; c != last; ++c) {
                depth += *c == '[' ? 1 : *c == ']' ? -1 : 0;
                if (depth == 0) {
                    break;
                }
            }
            if (c == last) {
                return {open, NewickProblem::open_comment};
            }
            ++c;
        } else {
            break;
        }
    }
    return {c, NewickProblem::none};
}

NewickResult parse_newick(const char* first, const char* last, NewickTree& tree) {
    tree.clear();
    std::int32_t parent = -1; // the open parenthesis being filled
    bool expecting_node = true;
    NewickResult at = skip_blank(first, last);
    while (at.problem == NewickProblem::none) {
        const char* c = at.ptr;
        if (c == last) {
            return {c, tree.nodes.empty() ? NewickProblem::no_tree : NewickProblem::ended};
        }
        if (expecting_node) {
            const auto node = static_cast<std::int32_t>(tree.nodes.size());
            if (*c == '(') {
                tree.nodes.push_back({parent, NO_LENGTH, 0, 0, false});
                parent = node;
                at = skip_blank(c + 1, last);
                continue;
            }
            const auto label_at = static_cast<std::uint32_t>(tree.labels.size());
            const NewickResult label = read_label(c, last, tree.labels);
            if (label.problem != NewickProblem::none) {
                return label;
            }
            if (label.ptr == c) {
                return {c, tree.nodes.empty() ? NewickProblem::no_tree : NewickProblem::no_label};
            }
            tree.nodes.push_back({parent, NO_LENGTH, label_at, static_cast<std::uint32_t>(tree.labels.size()) - label_at, true});
            at = read_length(label.ptr, last, tree.nodes.back().length);
            expecting_node = false;
            continue;
        }
        if (*c == ',' && parent >= 0) {
            expecting_node = true;
            at = skip_blank(c + 1, last);
        } else if (*c == ')' && parent >= 0) {
            // An inner node's label (a support value) is read and dropped.
            const NewickResult blank = skip_blank(c + 1, last);
            if (blank.problem != NewickProblem::none) {
                return blank;
            }
            const auto labels_before = tree.labels.size();
            const NewickResult label = read_label(blank.ptr, last, tree.labels);
            tree.labels.resize(labels_before);
            if (label.problem != NewickProblem::none) {
                return label;
            }
            const auto closed = static_cast<std::size_t>(parent);
            parent = tree.nodes[closed].parent;
            at = read_length(label.ptr, last, tree.nodes[closed].length);
        } else if (*c == ';' && parent < 0) {
            return {c + 1, NewickProblem::none};
        } else {
            return {c, NewickProblem::unexpected};
        }
    }
    return at;
}

} // namespace rf
