#include "rf_distance.hpp"

namespace rf {

std::int32_t rf_distance(const ClusterTable& table_a, const ClusterTable& table_b, const ClusterList& list_a,
                         const ClusterList& list_b, std::int32_t count_a, std::int32_t count_b) noexcept {
    const std::size_t words = table_a.words_per_row();
    std::int32_t common = 0;
    std::int32_t i = 1;
    std::int32_t j = 1;
    while (i <= count_a && j <= count_b) {
        const int order = compare_cluster_rows(table_a.row(list_a[i]), table_b.row(list_b[j]), words);
        if (order == 0) {
            ++common;
            ++i;
            ++j;
        } else if (order < 0) {
            ++i;
        } else {
            ++j;
        }
    }
    return (count_a - common) + (count_b - common);
}

} // namespace rf
