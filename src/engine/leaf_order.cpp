#include "leaf_order.hpp"

#include <algorithm>
#include <vector>

namespace rf {

namespace {

// The unplaced leaf closest to the path from f, scanning j upwards so that a
// later leaf wins a tie (c <= best). The first candidate is taken whatever its
// value, as the rule says, which also settles what a NaN does.
std::size_t closest_candidate(const double* row_x, double x_to_f, const std::vector<std::int32_t>& unplaced,
                              const std::vector<double>& to_first) noexcept {
    std::size_t taken = 0;
    double best = row_x[unplaced[0]] + (x_to_f - to_first[0]);
    for (std::size_t p = 1; p < unplaced.size(); ++p) {
        const double c = row_x[unplaced[p]] + (x_to_f - to_first[p]);
        if (c <= best) {
            best = c;
            taken = p;
        }
    }
    return taken;
}

} // namespace

void build_leaf_order(const DistanceMatrix& matrix, LeafOrder& order, std::int32_t first_leaf,
                      std::int32_t last_leaf) {
    const std::int32_t n = matrix.leaf_count();
    order.assign(static_cast<std::size_t>(n) + 1, 0);
    order[1] = first_leaf;
    order[static_cast<std::size_t>(n)] = last_leaf;
    if (n == 2) {
        return;
    }
    // The unplaced leaves in increasing order with their D[j][f] beside them:
    // the column is read once instead of once per step, and placed leaves drop
    // out of the scan.
    std::vector<std::int32_t> unplaced;
    std::vector<double> to_first;
    unplaced.reserve(static_cast<std::size_t>(n));
    to_first.reserve(static_cast<std::size_t>(n));
    for (std::int32_t j = 1; j <= n; ++j) {
        if (j != first_leaf && j != last_leaf) {
            unplaced.push_back(j);
            to_first.push_back(matrix.at(j, first_leaf));
        }
    }
    for (std::int32_t t = n; t >= 3; --t) {
        const std::int32_t x = order[static_cast<std::size_t>(t)];
        const std::size_t taken = closest_candidate(matrix.row(x), matrix.at(x, first_leaf), unplaced, to_first);
        order[static_cast<std::size_t>(t) - 1] = unplaced[taken];
        unplaced.erase(unplaced.begin() + static_cast<std::ptrdiff_t>(taken));
        to_first.erase(to_first.begin() + static_cast<std::ptrdiff_t>(taken));
    }
}

} // namespace rf
