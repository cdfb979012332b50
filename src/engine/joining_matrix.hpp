// SPDX-License-Identifier: MIT
// The nodes that neighbor joining has not yet joined, and the search for the
// pair of least Q = (r - 2) d(a, b) - (S(a) + S(b)) among them.
//
// Each node sits in a slot (leaf v in slot v - 1; a joined node takes the
// slot of the first of its two): its row of distances to every other slot,
// the sum S of its distances to the nodes left, and a list of the nodes
// older than it (those already there when it was made), in increasing order
// of their distance rounded down to single precision. Every pair is in
// exactly one such list, the younger node's, and its distance never changes
// while both nodes are left, so a list is sorted once. A list read in order
// can stop where (r - 2) d' - (S(a) + the largest S), d' that rounded-down
// distance, passes the least Q found so far: rounding is monotone, so that
// bound is at or below the Q of every later entry, bit for bit.
//
// Thread-safety: least_q() shares its work among a team's members; nothing
// else may run meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "distance_matrix.hpp"
#include "joining_room.hpp"
#include "thread_team.hpp"

namespace rf {

// The values' sum, bit for bit the same whatever their order (to within
// 2^-60 or so of the largest magnitude, as a sum in doubles is).
[[nodiscard]] double sum_in_any_order(std::span<const double> values);

class JoiningMatrix {
public:
    // Two slots, a before b.
    struct Pair {
        std::int32_t a = -1;
        std::int32_t b = -1;
    };

    // The leaves of `matrix`, d(a, b) the mean of its two entries, in
    // `room`, which must outlive this. `stop` (may be empty) is asked now and
    // then; true throws Cancelled. Throws std::bad_alloc.
    JoiningMatrix(const DistanceMatrix& matrix, JoiningRoom& room, const std::function<bool()>& stop);

    [[nodiscard]] std::int32_t left() const noexcept { return static_cast<std::int32_t>(live_.size()); }
    // The slots of the nodes left, in increasing order.
    [[nodiscard]] std::span<const std::int32_t> live_slots() const noexcept { return live_; }
    [[nodiscard]] std::int32_t node(std::int32_t slot) const noexcept { return node_[index(slot)]; }
    [[nodiscard]] double sum(std::int32_t slot) const noexcept { return state_[index(node(slot))].sum; }
    // Indexed by slot; only the entries of the slots left mean anything.
    [[nodiscard]] const double* row(std::int32_t slot) const noexcept { return rows_ + index(slot) * stride_; }

    // Every pair of least Q, the search shared among the team's members
    // (nullptr: this thread alone). Where `ranks` is not empty (one per
    // node), only the first of them by least_of().
    [[nodiscard]] std::vector<Pair> least_q(ThreadTeam* team, std::span<const std::int64_t> ranks);

    // The first of `pairs` by their distance, then by the lesser and the
    // greater rank of their nodes, then by their slots.
    [[nodiscard]] Pair least_of(std::span<const Pair> pairs, std::span<const std::int64_t> ranks) const;

    // Nodes a and b (slots) replaced by the next node, in slot a, at
    // distance `distances[k]` of the node in slot k. Returns its node number:
    // n, n + 1, ... in the order of the joins.
    std::int32_t join(Pair pair, std::span<const double> distances);

private:
    struct Found;
    class RowSearch;
    struct NodeState {
        double sum = 0.0;
        std::int32_t slot = -1; // -1 once joined
    };
    [[nodiscard]] static std::size_t index(std::int32_t i) noexcept { return static_cast<std::size_t>(i); }
    void sort_list(std::int32_t slot, std::span<const std::int32_t> older);
    void search_rows(std::span<const std::int32_t> slots, double largest_sum, Found& found,
                     std::span<const std::int64_t> ranks);
    [[nodiscard]] bool before(Pair x, Pair y, std::span<const std::int64_t> ranks) const noexcept;

    std::int32_t leaf_count_;
    std::size_t stride_;
    double* rows_; // in the room
    // Slot s's list: list_ [s * stride_ + list_begin_[s], s * stride_ + list_end_[s]), by node.
    std::int32_t* list_; // in the room
    std::vector<std::int32_t> list_begin_;
    std::vector<std::int32_t> list_end_;
    std::vector<std::int32_t> node_; // per slot
    std::vector<NodeState> state_;   // per node
    std::vector<std::int32_t> live_;
    std::int32_t next_node_;
    std::vector<std::uint64_t> sort_scratch_;
    std::vector<double> scratch_values_;
    std::vector<std::int32_t> scratch_slots_;
};

} // namespace rf
