#include "tree_reconstruction.hpp"

#include <cmath>
#include <cstring>
#include <vector>

#include "leaf_order.hpp"

namespace rf {

namespace {

constexpr std::int32_t ROOT = 1;

// Scratch of one call: the leaf order, each cluster's largest leaf, and the
// path from the root to the leaf inserted last (entry 1 at the root, e at
// that leaf; entry i's cluster contains entry i+1's). All indexed from 1.
// Beside the table and the list it records the tree itself: a cluster's
// edge length is its path length when it is made, and changes only when a
// new node splits its edge; its parent is the path entry above it.
class TreeBuilder {
public:
    TreeBuilder(const DistanceMatrix& matrix, ClusterTable& table, ClusterList& list, ClusterTree& tree)
        : d_(matrix), table_(table), list_(list), tree_(tree), n_(matrix.leaf_count()),
          max_leaf_(static_cast<std::size_t>(2 * n_ - 2), 0),
          // e never exceeds n-1; entry e+1 holds the sentinel of the repair pass.
          path_cluster_(static_cast<std::size_t>(n_) + 1, 0), path_length_(static_cast<std::size_t>(n_) + 1, 0.0) {
        tree_.parent.assign(max_leaf_.size(), 0);
        tree_.edge_length.assign(max_leaf_.size(), 0.0);
        tree_.leaf.assign(max_leaf_.size(), 0);
    }

    // The cluster count, or 0 when the matrix is rejected.
    std::int32_t build() {
        build_leaf_order(d_, order_, ROOT, n_);
        table_.clear();
        std::fill_n(list_.data(), list_.capacity() + 1, 0);
        add_first_edge(order_[2]);
        for (std::int32_t pos = 2; pos <= n_ - 1; ++pos) {
            if (!insert_leaf(order_[static_cast<std::size_t>(pos)], order_[static_cast<std::size_t>(pos) + 1])) {
                return 0;
            }
        }
        return count_;
    }

private:
    void add_first_edge(std::int32_t leaf) {
        table_.add_leaf(1, leaf);
        max_leaf_[1] = leaf;
        set_path(1, 1, d_.at(ROOT, leaf)); // taken as stored, not snapped
        tree_.leaf[1] = leaf;
        e_ = 1;
        list_[1] = 1;
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
        if (!std::isfinite(u) || !std::isfinite(b) || u <= ADDITIVITY_LIMIT || b <= ADDITIVITY_LIMIT) {
            return false;
        }
        if (u <= ZERO_TOLERANCE) {
            u = 0.0;
        }
        if (b <= ZERO_TOLERANCE) {
            b = 0.0;
        }
        const auto [s, k] = walk_up(u);
        const std::int32_t own = count_ + 1;
        const std::int32_t upper = count_ + 2;
        std::int32_t split = 0;   // cluster of the edge a new node splits; 0 when none
        double lower_length = 0.0; // what is left of that edge below the new node
        if (std::fabs(s - u) <= ZERO_TOLERANCE) {
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
            table_.copy_row(upper, split);
            max_leaf_[static_cast<std::size_t>(upper)] = max_leaf_[static_cast<std::size_t>(split)];
            record_split(split, upper, lower_length);
        }
        tree_.parent[static_cast<std::size_t>(own)] = cluster_at(e_ - 1);
        tree_.leaf[static_cast<std::size_t>(own)] = y;
        add_leaf_to_path(y);
        update_list(y, split);
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
        while (s <= u - ZERO_TOLERANCE) {
            if (k == 0) {
                s = u;
                break;
            }
            s = s + length_at(k);
            k = k - 1;
        }
        return {s, k};
    }

    void add_leaf_to_path(std::int32_t y) noexcept {
        for (std::int32_t i = 1; i <= e_; ++i) {
            const std::int32_t cluster = cluster_at(i);
            table_.add_leaf(cluster, y);
            std::int32_t& largest = max_leaf_[static_cast<std::size_t>(cluster)];
            if (largest < y) {
                largest = y;
            }
        }
    }

    // Puts the new clusters into the list and restores cluster order by moving
    // single entries: only the path clusters, which just gained y, can be out
    // of place, and each belongs just before the next cluster holding a leaf
    // of y or above.
    void update_list(std::int32_t y, std::int32_t split) noexcept {
        std::int32_t* list = list_.data();
        const std::int32_t own = count_ + 1;
        const std::int32_t total = count_ + (split != 0 ? 2 : 1);
        std::memmove(list + 2, list + 1, static_cast<std::size_t>(count_) * sizeof(std::int32_t));
        list[1] = own;
        if (split != 0) {
            std::int32_t p = 2;
            while (list[p] != split) {
                ++p;
            }
            std::memmove(list + p + 2, list + p + 1, static_cast<std::size_t>(count_ + 1 - p) * sizeof(std::int32_t));
            list[p + 1] = count_ + 2;
        }
        path_cluster_[static_cast<std::size_t>(e_) + 1] = 0; // no list entry matches past the path's end
        // Descending k, only entries equal to the next expected path cluster
        // act; list[0], unused, holds that cluster so each search stops by
        // itself.
        std::int32_t k = total;
        for (std::int32_t t = 2;; ++t) {
            const std::int32_t expected = cluster_at(t);
            list[0] = expected;
            do {
                --k;
            } while (list[k] != expected);
            if (k == 0) {
                break;
            }
            std::int32_t a = k + 1;
            while (a < total && max_leaf_[static_cast<std::size_t>(list[a])] < y) {
                ++a;
            }
            if (a > k + 1) {
                const std::int32_t moved = list[k];
                std::memmove(list + k, list + k + 1, static_cast<std::size_t>(a - 1 - k) * sizeof(std::int32_t));
                list[a - 1] = moved;
            }
        }
        list[0] = 0;
        count_ = total;
    }

    [[nodiscard]] std::int32_t cluster_at(std::int32_t entry) const noexcept {
        return path_cluster_[static_cast<std::size_t>(entry)];
    }
    [[nodiscard]] double length_at(std::int32_t entry) const noexcept {
        return path_length_[static_cast<std::size_t>(entry)];
    }

    const DistanceMatrix& d_;
    ClusterTable& table_;
    ClusterList& list_;
    ClusterTree& tree_;
    std::int32_t n_;
    LeafOrder order_;
    std::vector<std::int32_t> max_leaf_;
    std::vector<std::int32_t> path_cluster_;
    std::vector<double> path_length_;
    std::int32_t e_ = 0;
    std::int32_t count_ = 0;
};

} // namespace

std::int32_t rebuild_tree(const DistanceMatrix& matrix, ClusterTable& table, ClusterList& list, ClusterTree& tree) {
    return TreeBuilder(matrix, table, list, tree).build();
}

} // namespace rf
