#include "tree_misfit.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "cluster_children.hpp"

namespace rf {

namespace {

// The leaves in depth-first order, leaf 1 first: each leaf's depth below
// leaf 1 and, between each leaf and the next, the depth of their lowest
// common ancestor.
struct LeafWalk {
    std::vector<std::int32_t> leaf;
    std::vector<double> depth;
    std::vector<double> meeting; // meeting[p]: of leaves p and p + 1
};

LeafWalk walk_leaves(const ClusterTree& tree) {
    const ClusterChildren children(tree);
    LeafWalk walk;
    const auto n = static_cast<std::size_t>(tree.leaf_count);
    walk.leaf.reserve(n);
    walk.depth.reserve(n);
    walk.meeting.reserve(n);
    walk.leaf.push_back(1); // leaf 1, at the root, meets every leaf there
    walk.depth.push_back(0.0);
    walk.meeting.push_back(0.0);
    std::vector<double> depth(static_cast<std::size_t>(tree.count()) + 1, 0.0);
    struct Frame {
        std::int32_t cluster;
        std::size_t next_child;
    };
    std::vector<Frame> stack{{children.top(), 0}};
    depth[static_cast<std::size_t>(children.top())] = tree.edge_length[static_cast<std::size_t>(children.top())];
    // Since the last leaf: the highest node that the walk went down from,
    // which is the last leaf's lowest common ancestor with the next.
    double highest_since_leaf = 0.0;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const auto c = static_cast<std::size_t>(frame.cluster);
        if (frame.next_child == 0 && tree.leaf[c] != 0) {
            if (walk.leaf.size() > 1) {
                walk.meeting.push_back(highest_since_leaf);
            }
            walk.leaf.push_back(tree.leaf[c]);
            walk.depth.push_back(depth[c]);
            highest_since_leaf = std::numeric_limits<double>::infinity();
        }
        const std::span<const std::int32_t> below = children.of(frame.cluster);
        if (frame.next_child < below.size()) {
            const std::int32_t child = below[frame.next_child++];
            depth[static_cast<std::size_t>(child)] = depth[c] + tree.edge_length[static_cast<std::size_t>(child)];
            highest_since_leaf = std::min(highest_since_leaf, depth[c]);
            stack.push_back({child, 0});
        } else {
            stack.pop_back();
        }
    }
    return walk;
}

} // namespace

// Row by row from the end of the walk: for row p, the depths where leaf p
// meets each later leaf q are the minimum of the walk's meeting depths
// between them, kept for every q and lowered by one meeting depth per row,
// so that the inner loops carry no dependence from one entry to the next.
// Each two leaves are compared once, by the entry of the leaf that comes
// first in the walk: the matrix is symmetric to within far less than any
// misfit that matters.
Misfit misfit_of(const DistanceMatrix& matrix, const ClusterTree& tree, double largest_entry) {
    const LeafWalk walk = walk_leaves(tree);
    const std::size_t n = walk.leaf.size();
    std::vector<double> meet(n, std::numeric_limits<double>::infinity());
    std::vector<double> entry(n, 0.0);
    std::vector<double> in_order(n + 1, 0.0);
    double worst = 0.0;
    for (std::size_t p = n - 1; p-- > 0;) {
        const double lowered = walk.meeting[p];
        for (std::size_t q = p + 1; q < n; ++q) {
            meet[q] = lowered < meet[q] ? lowered : meet[q];
        }
        // The row read in order first: picked from memory in the walk's
        // order, its entries would each wait for memory.
        const double* row = matrix.row(walk.leaf[p]);
        std::copy(row + 1, row + n + 1, in_order.begin() + 1);
        for (std::size_t q = p + 1; q < n; ++q) {
            entry[q] = in_order[static_cast<std::size_t>(walk.leaf[q])];
        }
        const double own = walk.depth[p];
        for (std::size_t q = p + 1; q < n; ++q) {
            const double difference = std::fabs(entry[q] - ((own + walk.depth[q]) - 2.0 * meet[q]));
            worst = difference > worst ? difference : worst;
        }
    }
    return {worst, largest_entry > 0.0 ? worst / largest_entry : 0.0};
}

} // namespace rf
