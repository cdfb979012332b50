#include "newick.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "cluster_children.hpp"
#include "short_decimal.hpp"

namespace rf {

namespace {

bool needs_quotes(std::string_view name) noexcept {
    constexpr std::string_view SPECIAL = " _()[]':;,\"";
    return name.empty() || std::any_of(name.begin(), name.end(), [SPECIAL](char c) {
               return static_cast<unsigned char>(c) <= ' ' || c == 0x7F || SPECIAL.find(c) != std::string_view::npos;
           });
}

// Leaf v by its name, or by its number when there are no names.
void append_leaf(std::string& line, std::int32_t leaf, const std::vector<std::string>* names) {
    if (names != nullptr) {
        append_newick_label(line, (*names)[static_cast<std::size_t>(leaf) - 1]);
        return;
    }
    char text[16];
    line.append(text, std::to_chars(text, text + sizeof text, leaf).ptr);
}

// A tree read without lengths has NaN for them: none is written.
void append_length(std::string& line, double length) {
    if (std::isnan(length)) {
        return;
    }
    char text[SHORT_DECIMAL_MAX_CHARS];
    line.push_back(':');
    line.append(text, write_short_decimal(text, length));
}

} // namespace

void append_newick_label(std::string& line, std::string_view name) {
    if (!needs_quotes(name)) {
        line += name;
        return;
    }
    line += '\'';
    for (const char c : name) {
        line += c;
        if (c == '\'') {
            line += '\'';
        }
    }
    line += '\'';
}

void append_newick(const ClusterTree& tree, std::string& line, const std::vector<std::string>* names) {
    const ClusterChildren children(tree);
    const std::int32_t top = children.top();
    const auto top_index = static_cast<std::size_t>(top);
    line += '(';
    append_leaf(line, 1, names);
    append_length(line, tree.edge_length[top_index]);
    if (tree.leaf[top_index] != 0) { // two leaves: the root sits on leaf 2
        line += ',';
        append_leaf(line, tree.leaf[top_index], names);
        line += std::isnan(tree.edge_length[top_index]) ? ");\n" : ":0);\n";
        return;
    }
    // Depth first without recursion: a caterpillar's depth is n.
    struct Visit {
        std::int32_t cluster;
        std::size_t written = 0; // children written so far
    };
    std::vector<Visit> stack{{top}};
    while (!stack.empty()) {
        Visit& visit = stack.back();
        const std::span<const std::int32_t> below = children.of(visit.cluster);
        if (visit.written < below.size()) {
            if (visit.written != 0 || visit.cluster == top) {
                line += ','; // the top's first child follows leaf 1
            }
            const auto child = static_cast<std::size_t>(below[visit.written++]);
            if (tree.leaf[child] != 0) {
                append_leaf(line, tree.leaf[child], names);
                append_length(line, tree.edge_length[child]);
            } else {
                line += '(';
                stack.push_back({static_cast<std::int32_t>(child)});
            }
            continue;
        }
        const auto done = static_cast<std::size_t>(visit.cluster);
        stack.pop_back();
        line += ')';
        if (!stack.empty()) {
            append_length(line, tree.edge_length[done]);
        }
    }
    line += ";\n";
}

} // namespace rf
