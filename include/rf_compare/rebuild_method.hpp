// SPDX-License-Identifier: MIT
// How a matrix is made a tree.
//   additive  the tree whose path lengths the matrix records, its leaves
//             inserted one at a time in leaf order (rf_compare's rebuild):
//             exact for a tree metric; for a matrix that is none, a tree
//             that depends on the order of the leaves, or none at all.
//   nj        neighbor joining (Saitou and Nei, as Studier and Keppler
//             compute it): a tree for any distance matrix, the same
//             whatever the order of the leaves, the additive tree for a
//             tree metric.
//   bionj     Gascuel's BIONJ: neighbor joining that weighs each new
//             node's distances by their variances; likewise.
// Neighbor joining's inner edges at or below the tolerance's zero (negative
// ones too) are merged, making polytomies, as the additive rebuild merges
// branch points; a negative leaf edge is given length 0.
//
// Thread-safety: pure functions. Errors: rebuild_method_of throws Error.
#pragma once

#include <optional>
#include <string_view>

namespace rf_compare {

enum class RebuildMethod { additive, nj, bionj };

// The method named "additive", "nj" or "bionj"; nothing for any other word.
[[nodiscard]] std::optional<RebuildMethod> rebuild_method_named(std::string_view word) noexcept;

// The same for the bindings: throws Error (bad_argument) for any other word.
[[nodiscard]] RebuildMethod rebuild_method_of(std::string_view word);

// "additive", "nj" or "bionj".
[[nodiscard]] std::string_view name_of(RebuildMethod method) noexcept;

} // namespace rf_compare
