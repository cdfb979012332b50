#include "given_tree.hpp"

#include <cmath>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "cluster_tree_builder.hpp"
#include "guarded_call.hpp"
#include "text_words.hpp"
#include "tree_access.hpp"

namespace rf_compare {

namespace {

// The tree of these nodes and edges, its n leaves named (or, rebuilt
// without names, not).
Tree tree_of_edges(std::vector<std::string> names, std::span<const std::int32_t> leaf_of,
                   std::span<const rf::LooseEdge> edges, std::int32_t n = 0, Misfit misfit = {}) {
    n = names.empty() ? n : static_cast<std::int32_t>(names.size());
    if (n < 2) {
        throw Error(ErrorKind::bad_argument,
                    "the tree has " + std::to_string(n) + (n == 1 ? " leaf" : " leaves") + ": it needs at least 2");
    }
    rf::ClusterTree tree = rf::cluster_tree_from_edges(n, leaf_of, edges);
    const bool has_lengths =
        std::none_of(tree.edge_length.begin() + 1, tree.edge_length.end(), [](double length) { return std::isnan(length); });
    return detail::TreeAccess::made({std::move(tree), std::move(names), misfit, {}, has_lengths});
}

// The edges of a parsed tree, filling leaf_of (one per node, 0 for inner
// nodes) with the number, from 1, that number_leaf(node) gives each leaf in
// node order.
template <typename NumberLeaf>
std::vector<rf::LooseEdge> edges_of_parsed(const rf::NewickTree& parsed, std::vector<std::int32_t>& leaf_of,
                                           NumberLeaf number_leaf) {
    leaf_of.assign(parsed.nodes.size(), 0);
    std::vector<rf::LooseEdge> edges;
    edges.reserve(parsed.nodes.size());
    for (std::size_t v = 0; v < parsed.nodes.size(); ++v) {
        const rf::NewickNode& node = parsed.nodes[v];
        if (node.leaf) {
            leaf_of[v] = number_leaf(node);
        }
        if (node.parent >= 0) {
            edges.push_back({static_cast<std::int32_t>(v), node.parent, node.length});
        }
    }
    return edges;
}

void check_distinct(const std::vector<std::string>& names) {
    std::unordered_map<std::string_view, std::size_t> seen;
    for (const std::string& name : names) {
        if (!seen.emplace(name, 0).second) {
            throw Error(ErrorKind::bad_argument, "the leaf name " + rf::quoted(name) + " is given twice");
        }
    }
}

} // namespace

namespace detail {

Tree tree_of_parsed(const rf::NewickTree& parsed) {
    std::vector<std::string> names;
    std::vector<std::int32_t> leaf_of;
    const std::vector<rf::LooseEdge> edges = edges_of_parsed(parsed, leaf_of, [&](const rf::NewickNode& node) {
        names.emplace_back(parsed.label(node));
        return static_cast<std::int32_t>(names.size());
    });
    check_distinct(names);
    return tree_of_edges(std::move(names), leaf_of, edges);
}

Tree tree_of_parsed(const rf::NewickTree& parsed, const LeafNames& first) {
    std::vector<std::string_view> labels;
    std::vector<std::int32_t> places;
    std::vector<std::int32_t> leaf_of;
    const std::vector<rf::LooseEdge> edges = edges_of_parsed(parsed, leaf_of, [&](const rf::NewickNode& node) {
        labels.push_back(parsed.label(node));
        places.push_back(first.place_of(labels.back()).value_or(-1));
        return places.back() + 1;
    });
    // None missing, none twice, none unknown: the first's leaves, each once.
    if (std::optional<LeafNames::Mismatch> mismatch = first.mismatch_of(labels, places)) {
        throw std::move(*mismatch);
    }
    return tree_of_edges(first.names(), leaf_of, edges);
}

} // namespace detail

Tree tree_from_newick(std::string_view text) {
    return detail::guarded("reading a Newick tree", [&] {
        rf::NewickTree parsed;
        const rf::NewickResult read = rf::parse_newick(text.data(), text.data() + text.size(), parsed);
        if (read.problem != rf::NewickProblem::none) {
            const auto column = read.ptr - text.data() + 1;
            const std::string_view rest = text.substr(static_cast<std::size_t>(column - 1), 20);
            throw Error(ErrorKind::bad_input, "Newick text, column " + std::to_string(column) + ": " +
                                                  (rest.empty() ? std::string("found the end of the text")
                                                                : "found " + rf::quoted(rest)) +
                                                  ", " + std::string(rf::expected_text(read.problem)));
        }
        return detail::tree_of_parsed(parsed);
    });
}

namespace {

// Edges numbered as ape numbers them, checked to be a tree of leaves
// 1..n; `names` empty or n names.
Tree tree_of_ape_edges(const std::vector<TreeEdge>& edges, std::int32_t leaf_count, std::vector<std::string> names,
                       Misfit misfit) {
    const std::int64_t n = leaf_count;
    std::int64_t nodes = n + 1;
    for (const TreeEdge& edge : edges) {
        if (edge.parent < 1 || edge.child < 1) {
            throw Error(ErrorKind::bad_argument, "the edges number the nodes from 1");
        }
        nodes = std::max<std::int64_t>({nodes, std::int64_t{edge.parent} + 1, std::int64_t{edge.child} + 1});
    }
    // A tree of these nodes: one edge fewer than nodes, all joined, each
    // leaf at one edge.
    std::vector<std::int32_t> parent_of(static_cast<std::size_t>(nodes), 0);
    std::vector<std::int32_t> degree(static_cast<std::size_t>(nodes), 0);
    std::vector<rf::LooseEdge> loose;
    loose.reserve(edges.size());
    for (const TreeEdge& edge : edges) {
        if (parent_of[static_cast<std::size_t>(edge.child)] != 0) {
            throw Error(ErrorKind::bad_argument, "node " + std::to_string(edge.child) + " has two parents");
        }
        parent_of[static_cast<std::size_t>(edge.child)] = edge.parent;
        ++degree[static_cast<std::size_t>(edge.parent)];
        ++degree[static_cast<std::size_t>(edge.child)];
        loose.push_back({edge.parent, edge.child, edge.length});
    }
    std::vector<std::int32_t> leaf_of(static_cast<std::size_t>(nodes), 0);
    for (std::int32_t leaf = 1; leaf <= n; ++leaf) {
        if (degree[static_cast<std::size_t>(leaf)] != 1) {
            throw Error(ErrorKind::bad_argument,
                        "leaf " + std::to_string(leaf) +
                            (names.empty() ? std::string() : " (" + rf::quoted(names[static_cast<std::size_t>(leaf) - 1]) + ")") +
                            " has " + std::to_string(degree[static_cast<std::size_t>(leaf)]) + " edges, not 1");
        }
        leaf_of[static_cast<std::size_t>(leaf)] = leaf;
    }
    // Every node above the leaves reaches one root, without a cycle.
    std::int64_t roots = 0;
    for (std::int64_t v = n + 1; v < nodes; ++v) {
        roots += degree[static_cast<std::size_t>(v)] > 0 && parent_of[static_cast<std::size_t>(v)] == 0 ? 1 : 0;
    }
    std::int64_t used = 0;
    for (std::int64_t v = 1; v < nodes; ++v) {
        used += degree[static_cast<std::size_t>(v)] > 0 ? 1 : 0;
    }
    if (roots != 1 || static_cast<std::int64_t>(edges.size()) != used - 1) {
        throw Error(ErrorKind::bad_argument, "the edges are no tree: " + std::to_string(edges.size()) + " edges join " +
                                                 std::to_string(used) + " nodes under " + std::to_string(roots) + " roots");
    }
    check_distinct(names);
    return tree_of_edges(std::move(names), leaf_of, loose, leaf_count, misfit);
}

} // namespace

Tree tree_from_edges(const std::vector<TreeEdge>& edges, std::vector<std::string> names) {
    return detail::guarded("a tree of edges", [&] {
        const auto n = static_cast<std::int32_t>(names.size());
        return tree_of_ape_edges(edges, n, std::move(names), {});
    });
}

Tree restored_tree(const std::vector<TreeEdge>& edges, std::int32_t leaf_count, std::vector<std::string> names,
                   Misfit misfit) {
    return detail::guarded("a tree of edges", [&] {
        if (!names.empty() && names.size() != static_cast<std::size_t>(leaf_count)) {
            throw Error(ErrorKind::bad_argument, std::to_string(names.size()) + " names for " +
                                                     std::to_string(leaf_count) + " leaves");
        }
        return tree_of_ape_edges(edges, leaf_count, std::move(names), misfit);
    });
}

} // namespace rf_compare
