// SPDX-License-Identifier: MIT
#include "neighbor_joining.hpp"

#include <algorithm>
#include <optional>

#include "cancellation.hpp"
#include "joining_matrix.hpp"
#include "leaf_symmetry.hpp"

namespace rf {

namespace {

using Pair = JoiningMatrix::Pair;

std::size_t at(std::int32_t i) noexcept { return static_cast<std::size_t>(i); }

// BIONJ's variances: a second matrix, joined as the distances are, with the
// sum of each row over the nodes left.
class Variances {
public:
    Variances(const JoiningMatrix& distances, JoiningRoom& room)
        : stride_(at(distances.left())), rows_(room.variances(checked_product(stride_, stride_))), sums_(stride_) {
        for (const std::int32_t slot : distances.live_slots()) {
            std::copy_n(distances.row(slot), stride_, row(slot));
            sums_[at(slot)] = distances.sum(slot);
        }
    }

    [[nodiscard]] double* row(std::int32_t slot) noexcept { return rows_ + at(slot) * stride_; }
    [[nodiscard]] double sum(std::int32_t slot) const noexcept { return sums_[at(slot)]; }

    // Gascuel's weight of a, 1/2 + sum over k of (v(b, k) - v(a, k)) / (2 (r - 2) v(a, b)),
    // kept in [0, 1]; the sum is that of the two rows, whose v(a, b) terms cancel.
    [[nodiscard]] double weight(std::int32_t a, std::int32_t b, std::int32_t left) noexcept {
        const double between = row(a)[b];
        if (between == 0.0) {
            return 0.5;
        }
        const double weight = 0.5 + (sum(b) - sum(a)) / (2.0 * static_cast<double>(left - 2) * between);
        return std::clamp(weight, 0.0, 1.0);
    }

    // Rows a and b replaced by the new node's, in row a, for the slots in
    // `live`, the nodes left after the join.
    void join(Pair pair, double weight_a, double weight_b, std::span<const std::int32_t> live,
              std::vector<double>& scratch) {
        double* const row_a = row(pair.a);
        const double* const row_b = row(pair.b);
        const double shared = (weight_a * weight_b) * row_a[pair.b];
        scratch.clear();
        for (const std::int32_t k : live) {
            if (k == pair.a) {
                continue;
            }
            const double v = (weight_a * row_a[k] + weight_b * row_b[k]) - shared;
            sums_[at(k)] = (sums_[at(k)] - (row_a[k] + row_b[k])) + v;
            row_a[k] = v;
            rows_[at(k) * stride_ + at(pair.a)] = v;
            scratch.push_back(v);
        }
        sums_[at(pair.a)] = sum_in_any_order(scratch);
    }

private:
    std::size_t stride_;
    double* rows_; // in the room
    std::vector<double> sums_;
};

class Joiner {
public:
    Joiner(const DistanceMatrix& matrix, JoiningFormula formula, const JoiningWork& work, JoiningRoom& room)
        : matrix_(matrix), work_(work), distances_(matrix, room, work.stop), n_(matrix.leaf_count()),
          new_distances_(at(n_), 0.0) {
        if (formula == JoiningFormula::bionj) {
            variances_.emplace(distances_, room);
        }
        tree_.leaf_count = n_;
        tree_.edges.reserve(at(2 * n_ - 3));
    }

    JoinedTree run() {
        while (distances_.left() > 3) {
            if (work_.stop && work_.stop()) {
                throw Cancelled();
            }
            join(least_pair());
        }
        join_last_three();
        return std::move(tree_);
    }

private:
    // Pairs of equal Q are told apart by their distance, then by rank; the
    // ranks of the leaves are worked out the first time they are needed.
    // With four nodes left, Q(a, b) = Q(c, d) whatever the rounding says,
    // so the pair found and the other two are such a tie.
    Pair least_pair() {
        const Pair found = first_of(distances_.least_q(work_.team, ranks_));
        if (distances_.left() != 4) {
            return found;
        }
        Pair other;
        for (const std::int32_t slot : distances_.live_slots()) {
            if (slot != found.a && slot != found.b) {
                (other.a < 0 ? other.a : other.b) = slot;
            }
        }
        return first_of(std::vector<Pair>{found, other});
    }

    Pair first_of(std::vector<Pair> pairs) {
        if (pairs.empty()) { // every Q overflowed: any pair will do, the lengths are no lengths
            return {distances_.live_slots()[0], distances_.live_slots()[1]};
        }
        if (pairs.size() > 1) {
            const auto distance = [&](Pair pair) { return distances_.row(pair.a)[pair.b]; };
            const double closest = distance(*std::min_element(
                pairs.begin(), pairs.end(), [&](Pair x, Pair y) { return distance(x) < distance(y); }));
            std::erase_if(pairs, [&](Pair pair) { return distance(pair) != closest; });
        }
        if (pairs.size() == 1) {
            return pairs.front();
        }
        if (ranks_.empty()) {
            ranks_ = leaf_ranks(matrix_, work_.stop);
            ranks_.resize(2 * at(n_));
            for (std::int32_t node = n_; node < 2 * n_; ++node) {
                ranks_[at(node)] = node; // after every leaf, in the order made
            }
        }
        return distances_.least_of(pairs, ranks_);
    }

    void join(Pair pair) {
        const std::int32_t left = distances_.left();
        const double between = distances_.row(pair.a)[pair.b];
        // Written as (A + B) / 2 and (A - B) / 2: swapping a and b swaps them exactly.
        const double spread = (distances_.sum(pair.a) - distances_.sum(pair.b)) / static_cast<double>(left - 2);
        const double length_a = (between + spread) / 2.0;
        const double length_b = (between - spread) / 2.0;
        const double* const row_a = distances_.row(pair.a);
        const double* const row_b = distances_.row(pair.b);
        // Gascuel's weights of a and b, written symmetric in a and b.
        const double weight_a = variances_ ? variances_->weight(pair.a, pair.b, left) : 0.5;
        const double weight_b = variances_ ? variances_->weight(pair.b, pair.a, left) : 0.5;
        for (const std::int32_t k : distances_.live_slots()) {
            new_distances_[at(k)] = variances_
                                        ? weight_a * (row_a[k] - length_a) + weight_b * (row_b[k] - length_b)
                                        : ((row_a[k] + row_b[k]) - between) / 2.0;
        }
        const std::int32_t a = distances_.node(pair.a);
        const std::int32_t b = distances_.node(pair.b);
        const std::int32_t u = distances_.join(pair, new_distances_);
        if (variances_) {
            variances_->join(pair, weight_a, weight_b, distances_.live_slots(), variance_scratch_);
        }
        tree_.edges.push_back({u, a, length_a});
        tree_.edges.push_back({u, b, length_b});
    }

    // The last three nodes meet at one: each one's length from the three
    // distances, symmetric in the other two.
    void join_last_three() {
        const std::span<const std::int32_t> last = distances_.live_slots();
        if (last.size() == 2) {
            tree_.edges.push_back({distances_.node(last[0]), distances_.node(last[1]), distances_.row(last[0])[last[1]]});
            return;
        }
        const std::int32_t centre = 2 * n_ - 3;
        for (std::size_t k = 0; k < 3; ++k) {
            const std::int32_t x = last[k];
            const std::int32_t y = last[(k + 1) % 3];
            const std::int32_t z = last[(k + 2) % 3];
            const double length = ((distances_.row(x)[y] + distances_.row(x)[z]) - distances_.row(y)[z]) / 2.0;
            tree_.edges.push_back({centre, distances_.node(x), length});
        }
    }

    const DistanceMatrix& matrix_;
    const JoiningWork& work_;
    JoiningMatrix distances_;
    std::int32_t n_;
    std::optional<Variances> variances_;
    std::vector<double> new_distances_;
    std::vector<double> variance_scratch_;
    std::vector<std::int64_t> ranks_; // per node; empty until a tie needs them
    JoinedTree tree_;
};

} // namespace

JoinedTree join_neighbors(const DistanceMatrix& matrix, JoiningFormula formula, const JoiningWork& work) {
    if (work.room != nullptr) {
        return Joiner(matrix, formula, work, *work.room).run();
    }
    JoiningRoom room;
    return Joiner(matrix, formula, work, room).run();
}

} // namespace rf
