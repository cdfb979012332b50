// The reconstruction as the console program calls it: a matrix that is not
// additive is reported on standard output. Apart from rebuild_tree, so that
// callers that report for themselves (the library, its bindings) link no
// console output.
#include <cstdio>

#include "tree_reconstruction.hpp"

namespace rf {

std::int32_t build_cluster_table(const DistanceMatrix& matrix, ClusterTable& table, ClusterList& list) {
    ClusterTree tree;
    const std::int32_t count = rebuild_tree(matrix, table, list, tree);
    if (count == 0) {
        std::fputs("\n This is not an additive distance \n", stdout);
    }
    return count;
}

} // namespace rf
