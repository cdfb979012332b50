// SPDX-License-Identifier: MIT
// Neighbor joining (Saitou and Nei, computed as Studier and Keppler do) and
// BIONJ (Gascuel): the tree of a distance matrix that need not be a tree
// metric, built by joining the two nodes of least
//   Q(a, b) = (r - 2) d(a, b) - (S(a) + S(b)),
// r the nodes left and S(a) the sum of a's distances to them, until three
// are left. A join gives a the length d(a, b) / 2 + (S(a) - S(b)) / (2 (r - 2))
// and b the rest of d(a, b). Neighbor joining puts the new node u at
//   d(u, k) = (d(a, k) + d(b, k) - d(a, b)) / 2;
// BIONJ weighs the two sides by their variances v, which start as the
// distances (L(a), L(b): the lengths just given):
//   d(u, k) = l (d(a, k) - L(a)) + (1 - l) (d(b, k) - L(b)),
//   v(u, k) = l v(a, k) + (1 - l) v(b, k) - l (1 - l) v(a, b),
// l = 1/2 + sum over k of (v(b, k) - v(a, k)) / (2 (r - 2) v(a, b)), kept in
// [0, 1] (1/2 when v(a, b) is 0).
//
// The same tree whatever the order of the leaves. Every sum is exact before
// its one rounding (sum_in_any_order), and every formula is written
// symmetric in a and b, so that two orders of the leaves compute bit for
// bit the same numbers. Pairs of exactly equal Q are told apart by their
// distance (the closer pair first), then by their nodes: a leaf by its rank
// among the leaves as its distances tell them apart (leaf_symmetry.hpp), a
// joined node by when it was made (after every leaf), the pair whose
// lesser, then greater, rank is the least first. Only leaves that no
// comparison of distances tells apart, such as the copies of one sequence,
// are then taken in leaf order; swapping such leaves is a symmetry of the
// matrix itself. With four nodes left, the two pairs that split them alike
// always have equal Q, whatever rounding says: the closer of them is joined
// (NJ's lengths are the same either way; BIONJ's last ones are not).
//
// Cost: O(n^2) memory (two matrices for BIONJ); the search for the least Q
// reads each row's entries in increasing order, sorted once when the row is
// made, and stops where (r - 2) d - (S(a) + the largest S) passes the least
// Q found, which no later entry can beat; O(n^3) only when no pair can be
// ruled out (every distance nearly equal).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "cluster_tree_builder.hpp"
#include "distance_matrix.hpp"
#include "joining_room.hpp"
#include "thread_team.hpp"

namespace rf {

enum class JoiningFormula { neighbor_joining, bionj };

// The unrooted tree as the joins made it: nodes 0..n-1 are leaves 1..n, the
// rest one per join; lengths as computed, negative ones included.
struct JoinedTree {
    std::int32_t leaf_count = 0;
    std::vector<LooseEdge> edges;
};

struct JoiningWork {
    // Shares the search of each join among its members while many nodes are
    // left; nullptr: the calling thread alone. The results are the same.
    ThreadTeam* team = nullptr;
    // Asked once per join on the calling thread; true throws Cancelled.
    std::function<bool()> stop;
    // Where the matrices go, kept for the next matrix; nullptr: room of its own.
    JoiningRoom* room = nullptr;
};

// The matrix's entries off the diagonal must be finite and not negative,
// the matrix symmetric to within rounding (d(a, b) is taken as the mean of
// the two entries); n >= 2. Throws std::bad_alloc, Cancelled.
[[nodiscard]] JoinedTree join_neighbors(const DistanceMatrix& matrix, JoiningFormula formula,
                                        const JoiningWork& work = {});

} // namespace rf
