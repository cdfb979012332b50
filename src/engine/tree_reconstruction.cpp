#include "tree_reconstruction.hpp"

#include <cmath>
#include <vector>

#include "leaf_order.hpp"

namespace rf {

namespace {

constexpr std::int32_t ROOT = 1;

// Scratch of one call: the leaf order and the path from the root to the
// leaf inserted last (entry 1 at the root, e at that leaf; entry i's
// cluster contains entry i+1's), indexed from 1. Beside them, the tree
// itself: a cluster's edge length is its path length when it is made, and
// changes only when a new node splits its edge; its parent is the path
// entry above it.
class TreeBuilder {
public:
    TreeBuilder(const DistanceMatrix& matrix, const Tolerances& tolerances)
        : d_(matrix), zero_(tolerances.zero), limit_(tolerances.additivity_limit), n_(matrix.leaf_count()),
          // e never exceeds n-1.
          path_cluster_(static_cast<std::size_t>(n_) + 1, 0), path_length_(static_cast<std::size_t>(n_) + 1, 0.0) {
        const auto clusters = static_cast<std::size_t>(2 * n_ - 2); // at most 2n-3, index 0 unused
        tree_.leaf_count = n_;
        tree_.parent.assign(clusters, 0);
        tree_.edge_length.assign(clusters, 0.0);
        tree_.leaf.assign(clusters, 0);
    }

    std::optional<ClusterTree> build() {
        build_leaf_order(d_, order_, ROOT, n_);
        add_first_edge(order_[2]);
        for (std::int32_t pos = 2; pos <= n_ - 1; ++pos) {
            if (!insert_leaf(order_[static_cast<std::size_t>(pos)], order_[static_cast<std::size_t>(pos) + 1])) {
                return std::nullopt;
            }
        }
        const auto size = static_cast<std::size_t>(count_) + 1;
        tree_.parent.resize(size);
        tree_.edge_length.resize(size);
        tree_.leaf.resize(size);
        return std::move(tree_);
    }

private:
    void add_first_edge(std::int32_t leaf) {
        set_path(1, 1, d_.at(ROOT, leaf)); // taken as stored, not snapped
        tree_.leaf[1] = leaf;
        e_ = 1;
        count_ = 1;
    }

    // Every cluster put on the path is new, and its path length is the
    // length of its edge.
    void set_path(std::int32_t entry, std::int32_t cluster, double length) noexcept {
        path_cluster_[static_cast<std::size_t>(entry)] = cluster;
        path_length_[static_cast<std::size_t>(entry)] = length;
        tree_.edge_length[static_cast<std::size_t>(cluster)] = length;
    }

    // A new node splits the edge of cluster `split`: `upper` takes the part
    // above the node and its parent; `split` keeps the part below, of
    // length `lower_length`.
    void record_split(std::int32_t split, std::int32_t upper, double lower_length) noexcept {
        const auto s = static_cast<std::size_t>(split);
        tree_.parent[static_cast<std::size_t>(upper)] = tree_.parent[s];
        tree_.parent[s] = upper;
        tree_.edge_length[s] = lower_length;
    }

    // Inserts leaf y next to the path ending at x; false rejects the matrix.
    bool insert_leaf(std::int32_t x, std::int32_t y) {
        const double dxy = d_.at(x, y);
        const double drx = d_.at(ROOT, x);
        const double dry = d_.at(ROOT, y);
        // Distance from x up to the branch point, and the length of y's edge;
        // the parentheses fix the rounding.
        double u = ((dxy + drx) - dry) / 2.0;
        double b = ((dxy + dry) - drx) / 2.0;
        // A non-finite offset would send the walk below past the path's end.
        if (!std::isfinite(u) || !std::isfinite(b) || u <= limit_ || b <= limit_) {
            return false;
        }
        if (u <= zero_) {
            u = 0.0;
        }
        if (b <= zero_) {
            b = 0.0;
        }
        const auto [s, k] = walk_up(u);
        const std::int32_t own = count_ + 1;
        const std::int32_t upper = count_ + 2;
        std::int32_t split = 0;   // cluster of the edge a new node splits; 0 when none
        double lower_length = 0.0; // what is left of that edge below the new node
        if (std::fabs(s - u) <= zero_) {
            if (k == 0) { // at the root: the new node sits on r, 0 above it
                split = cluster_at(1);
                lower_length = length_at(1);
                set_path(1, upper, 0.0);
                set_path(2, own, b);
                e_ = 2;
            } else if (k == e_) { // at x itself: x's edge keeps length 0 and leaves the path
                split = cluster_at(e_);
                set_path(e_, upper, length_at(e_));
                set_path(e_ + 1, own, b);
                e_ = e_ + 1;
            } else { // at an existing inner node: no new node
                set_path(k + 1, own, b);
                e_ = k + 1;
            }
        } else { // strictly inside entry k+1, s - u below V_k
            split = cluster_at(k + 1);
            lower_length = length_at(k + 1) - (s - u);
            set_path(k + 1, upper, s - u);
            set_path(k + 2, own, b);
            e_ = k + 2;
        }
        if (split != 0) {
            record_split(split, upper, lower_length);
        }
        tree_.parent[static_cast<std::size_t>(own)] = cluster_at(e_ - 1);
        tree_.leaf[static_cast<std::size_t>(own)] = y;
        count_ += split != 0 ? 2 : 1;
        return true;
    }

    struct WalkEnd {
        double s; // distance from x up to V_k, or u when the point lies beyond r
        std::int32_t k;
    };

    // Walks from x towards r until the branch point at distance u is reached
    // or passed. k only falls, so the walk ends within e steps whatever the
    // lengths; with a finite u, an s that passed u stopped right after adding
    // entry k+1, which therefore exists.
    [[nodiscard]] WalkEnd walk_up(double u) const noexcept {
        double s = 0.0;
        std::int32_t k = e_;
        if (length_at(e_) == 0.0) {
            k = e_ - 1; // x lies on V_{e-1}
        }
        while (s <= u - zero_) {
            if (k == 0) {
                s = u;
                break;
            }
            s = s + length_at(k);
            k = k - 1;
        }
        return {s, k};
    }

    [[nodiscard]] std::int32_t cluster_at(std::int32_t entry) const noexcept {
        return path_cluster_[static_cast<std::size_t>(entry)];
    }
    [[nodiscard]] double length_at(std::int32_t entry) const noexcept {
        return path_length_[static_cast<std::size_t>(entry)];
    }

    const DistanceMatrix& d_;
    double zero_;
    double limit_;
    std::int32_t n_;
    ClusterTree tree_;
    LeafOrder order_;
    std::vector<std::int32_t> path_cluster_;
    std::vector<double> path_length_;
    std::int32_t e_ = 0;
    std::int32_t count_ = 0;
};

} // namespace

std::optional<ClusterTree> rebuild_tree(const DistanceMatrix& matrix, const Tolerances& tolerances) {
    return TreeBuilder(matrix, tolerances).build();
}

} // namespace rf
