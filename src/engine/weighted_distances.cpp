#include "weighted_distances.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace rf {

namespace {

constexpr std::size_t LANES = 8;

// What one split adds: |a - b| or (a - b)^2, for x = a - b; the same for
// b - a, which is exactly -(a - b).
template <bool SQUARED>
double term(double x) noexcept {
    if constexpr (SQUARED) {
        return x * x;
    } else {
        return std::fabs(x);
    }
}

// The sum over the dense columns: one running sum for the columns of each
// residue mod 8, added pairwise at the end. The same order whatever the
// processor's vector width, and the same for (a, b) as for (b, a); eight
// sums keep the additions' latency out of the way.
template <bool SQUARED>
double dense_distance(const double* a, const double* b, std::size_t columns) noexcept {
    std::array<double, LANES> lanes{};
    for (std::size_t c = 0; c < columns; c += LANES) {
        for (std::size_t lane = 0; lane < LANES; ++lane) {
            lanes[lane] += term<SQUARED>(a[c + lane] - b[c + lane]);
        }
    }
    return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

// The dense part of a row: row `mine` against each of the m rows.
template <bool SQUARED>
void dense_row(const double* mine, const double* rows, std::size_t m, std::size_t columns, double* out) noexcept {
    for (std::size_t j = 0; j < m; ++j) {
        out[j] = dense_distance<SQUARED>(mine, rows + j * columns, columns);
    }
}

// Where the processor can be asked, the same loops with AVX2 when it has
// it: four lanes a register instead of two, the same order of additions,
// the same sums.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define RF_WIDE_DENSE_ROWS 1
template <bool SQUARED>
[[gnu::target("avx2"), gnu::flatten]] void dense_row_wide(const double* mine, const double* rows, std::size_t m,
                                                           std::size_t columns, double* out) noexcept {
    dense_row<SQUARED>(mine, rows, m, columns, out);
}

bool has_wide_vectors() noexcept {
    static const bool supported = __builtin_cpu_supports("avx2") != 0; // a fact of the processor, set once
    return supported;
}
#else
#define RF_WIDE_DENSE_ROWS 0
#endif

// The power of two at or above every length: lengths are summed and squared
// in that unit, which cannot overflow, and dividing by a power of two is
// exact, so that the sums are those of the lengths themselves.
double unit_of(const std::vector<TreeEdges>& trees) noexcept {
    double longest = 0.0;
    for (const TreeEdges& tree : trees) {
        for (const double length : tree.leaf_lengths) {
            longest = std::max(longest, length);
        }
        for (const double length : tree.inner_lengths) {
            longest = std::max(longest, length);
        }
    }
    int exponent = 0;
    static_cast<void>(std::frexp(longest, &exponent));
    return longest > 0.0 ? std::ldexp(1.0, exponent) : 1.0;
}

} // namespace

WeightedDistances::WeightedDistances(const NumberedTrees& numbered, Metric metric)
    : trees_(numbered.trees), squared_(metric == Metric::kf), unit_(unit_of(numbered.trees)),
      dense_column_(static_cast<std::size_t>(numbered.cluster_numbers), RARE), rare_total_(trees_.size(), 0.0) {
    std::vector<std::size_t> holders(dense_column_.size(), 0);
    for (const TreeEdges& tree : trees_) {
        for (const std::int32_t k : tree.inner_clusters) {
            ++holders[static_cast<std::size_t>(k)];
        }
    }
    lay_out_dense_columns(numbered, holders);
    list_rare_holders(numbered, holders);
}

// A column for every leaf's edge, then for every cluster that more than
// half of the trees have: the row of a tree that lacks it holds 0 there,
// which is what the metric counts for a missing split.
void WeightedDistances::lay_out_dense_columns(const NumberedTrees& numbered, const std::vector<std::size_t>& holders) {
    std::size_t leaves = 0; // n + 1 entries in a rebuilt tree's leaf lengths
    for (const TreeEdges& tree : numbered.trees) {
        leaves = std::max(leaves, tree.leaf_lengths.size());
    }
    std::size_t columns = leaves;
    for (std::size_t k = 0; k < holders.size(); ++k) {
        if (2 * holders[k] > trees_.size()) {
            dense_column_[k] = static_cast<std::int32_t>(columns++);
        }
    }
    columns_ = (columns + LANES - 1) / LANES * LANES; // zeros after the last column add nothing
    dense_.assign(trees_.size() * columns_, 0.0);
    for (std::size_t t = 0; t < trees_.size(); ++t) {
        const TreeEdges& tree = trees_[t];
        double* row = dense_.data() + t * columns_;
        std::transform(tree.leaf_lengths.begin(), tree.leaf_lengths.end(), row, // column 0, leaf 0, stays 0
                       [this](double length) { return length / unit_; });
        for (std::size_t i = 0; i < tree.inner_clusters.size(); ++i) {
            const std::int32_t column = dense_column_[static_cast<std::size_t>(tree.inner_clusters[i])];
            if (column != RARE) {
                row[column] = tree.inner_lengths[i] / unit_;
            }
        }
    }
}

// The trees that have each rare cluster, in increasing order, with their
// lengths; and each tree's total over its rare clusters, in cluster order.
void WeightedDistances::list_rare_holders(const NumberedTrees& numbered, const std::vector<std::size_t>& holders) {
    first_holder_.assign(holders.size() + 1, 0);
    for (std::size_t k = 0; k < holders.size(); ++k) {
        first_holder_[k + 1] = first_holder_[k] + (dense_column_[k] == RARE ? holders[k] : 0);
    }
    holder_tree_.resize(first_holder_.back());
    holder_length_.resize(first_holder_.back());
    std::vector<std::size_t> next(first_holder_.begin(), first_holder_.end() - 1);
    for (std::size_t t = 0; t < numbered.trees.size(); ++t) {
        const TreeEdges& tree = numbered.trees[t];
        for (std::size_t i = 0; i < tree.inner_clusters.size(); ++i) {
            const auto k = static_cast<std::size_t>(tree.inner_clusters[i]);
            if (dense_column_[k] != RARE) {
                continue;
            }
            holder_tree_[next[k]] = static_cast<std::int32_t>(t);
            const double length = tree.inner_lengths[i] / unit_;
            holder_length_[next[k]++] = length;
            rare_total_[t] += squared_ ? term<true>(length) : term<false>(length);
        }
    }
}

void WeightedDistances::row(std::size_t t, Scratch& scratch, std::span<double> distances) const {
#if RF_WIDE_DENSE_ROWS
    row_with(t, scratch, distances, has_wide_vectors());
#else
    row_with(t, scratch, distances, false);
#endif
}

void WeightedDistances::row_portably(std::size_t t, Scratch& scratch, std::span<double> distances) const {
    row_with(t, scratch, distances, false);
}

void WeightedDistances::row_with(std::size_t t, Scratch& scratch, std::span<double> distances, bool wide) const {
    if (squared_) {
        row_for<true>(t, scratch, distances, wide);
    } else {
        row_for<false>(t, scratch, distances, wide);
    }
}

template <bool SQUARED>
void WeightedDistances::row_for(std::size_t t, Scratch& scratch, std::span<double> distances, bool wide) const {
    const std::size_t m = trees_.size();
    const double* mine = dense_.data() + t * columns_;
#if RF_WIDE_DENSE_ROWS
    if (wide) {
        dense_row_wide<SQUARED>(mine, dense_.data(), m, columns_, distances.data());
    } else {
        dense_row<SQUARED>(mine, dense_.data(), m, columns_, distances.data());
    }
#else
    static_cast<void>(wide);
    dense_row<SQUARED>(mine, dense_.data(), m, columns_, distances.data());
#endif
    // The rare clusters of t, in cluster order, against each tree that
    // shares them.
    scratch.shared.assign(m, 0.0);
    scratch.own.assign(m, 0.0);
    scratch.theirs.assign(m, 0.0);
    const TreeEdges& tree = trees_[t];
    for (std::size_t i = 0; i < tree.inner_clusters.size(); ++i) {
        const auto k = static_cast<std::size_t>(tree.inner_clusters[i]);
        if (dense_column_[k] != RARE) {
            continue;
        }
        const double a = tree.inner_lengths[i] / unit_;
        for (std::size_t h = first_holder_[k]; h != first_holder_[k + 1]; ++h) {
            const auto j = static_cast<std::size_t>(holder_tree_[h]);
            const double b = holder_length_[h];
            scratch.shared[j] += term<SQUARED>(a - b);
            scratch.own[j] += term<SQUARED>(a);
            scratch.theirs[j] += term<SQUARED>(b);
        }
    }
    // What is left of each total once the shared clusters are taken out is
    // what only that tree has; the tree with the lower number is added
    // first, so that the pair decides the order.
    for (std::size_t j = 0; j < m; ++j) {
        const double only_mine = rare_total_[t] - scratch.own[j];
        const double only_theirs = rare_total_[j] - scratch.theirs[j];
        const double rare = scratch.shared[j] + (t <= j ? only_mine + only_theirs : only_theirs + only_mine);
        const double total = distances[j] + rare;
        distances[j] = (SQUARED ? std::sqrt(total) : total) * unit_;
    }
}

} // namespace rf
