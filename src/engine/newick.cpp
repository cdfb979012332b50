#include "newick.hpp"

#include <charconv>
#include <vector>

#include "cluster_children.hpp"
#include "short_decimal.hpp"

namespace rf {

namespace {

void append_number(std::string& line, std::int32_t leaf) {
    char text[16];
    line.append(text, std::to_chars(text, text + sizeof text, leaf).ptr);
}

void append_length(std::string& line, double length) {
    char text[SHORT_DECIMAL_MAX_CHARS];
    line.push_back(':');
    line.append(text, write_short_decimal(text, length));
}

} // namespace

void append_newick(const ClusterTree& tree, std::int32_t count, std::string& line) {
    const ClusterChildren children(tree, count);
    const std::int32_t top = children.top();
    const auto top_index = static_cast<std::size_t>(top);
    line += "(1";
    append_length(line, tree.edge_length[top_index]);
    if (tree.leaf[top_index] != 0) { // two leaves: the root sits on leaf 2
        line += ',';
        append_number(line, tree.leaf[top_index]);
        line += ":0);\n";
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
                append_number(line, tree.leaf[child]);
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
