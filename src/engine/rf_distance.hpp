// Robinson-Foulds distance of two trees described by their cluster tables
// and lists: the number of clusters found in one tree and not the other.
#pragma once

#include "cluster_table.hpp"

namespace rf {

// Merges list A[1..count_a] and list B[1..count_b], both in cluster order.
// The tables must be for the same n. Changes nothing.
[[nodiscard]] std::int32_t rf_distance(const ClusterTable& table_a, const ClusterTable& table_b,
                                       const ClusterList& list_a, const ClusterList& list_b, std::int32_t count_a,
                                       std::int32_t count_b) noexcept;

} // namespace rf
