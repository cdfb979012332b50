// The catalog's numbers are exact even when fingerprints collide: with one
// key for every leaf, all clusters of one size share a fingerprint, and
// only the chain of known clusters, confirmed leaf by leaf, tells them
// apart. The numbers must give the same tables as well-mixed keys do.
#include <gtest/gtest.h>

#include <random>

#include "cluster_catalog.hpp"
#include "distance_rows.hpp"
#include "random_tree.hpp"
#include "tree_reconstruction.hpp"

namespace rf::testing {
namespace {

std::uint64_t one_key_for_all(std::int32_t /*leaf*/) noexcept { return 0x9E3779B97F4A7C15ULL; }

NumberedTrees numbered(const std::vector<ClusterTree>& trees, std::int32_t n, LeafKey key) {
    ClusterCatalog catalog(n, true, key);
    NumberedTrees result;
    for (const ClusterTree& tree : trees) {
        result.trees.push_back(catalog.add_tree(tree));
    }
    result.cluster_numbers = catalog.size();
    return result;
}

std::vector<double> table_of(const NumberedTrees& trees, Metric metric) {
    const DistanceRows rows(trees, metric, false);
    DistanceRows::Scratch scratch;
    std::vector<double> cells(trees.trees.size() * trees.trees.size());
    for (std::size_t t = 0; t < trees.trees.size(); ++t) {
        rows.row(t, scratch, std::span(cells).subspan(t * trees.trees.size(), trees.trees.size()));
    }
    return cells;
}

TEST(ClusterCatalog, CollidingFingerprintsAreToldApartLeafByLeaf) {
    std::mt19937_64 rng(424242);
    for (const std::int32_t n : {6, 12, 40}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        // Copies of a few trees, so that clusters recur, among trees of their own.
        std::vector<tools::RandomTree> bases;
        for (int b = 0; b < 3; ++b) {
            bases.push_back(tools::make_random_tree(n, tools::TreeShape::multifurcating, rng, 0.05, 1.0));
        }
        std::vector<ClusterTree> trees;
        for (int t = 0; t < 30; ++t) {
            const tools::RandomTree tree = t % 4 == 3 ? tools::make_random_tree(n, tools::TreeShape::binary, rng, 0.05, 1.0)
                                                      : bases[static_cast<std::size_t>(t % 3)];
            trees.push_back(*rebuild_tree(tools::path_length_matrix(tree)));
        }
        const NumberedTrees mixed = numbered(trees, n, mixed_leaf_key);
        const NumberedTrees colliding = numbered(trees, n, one_key_for_all);
        EXPECT_EQ(colliding.cluster_numbers, mixed.cluster_numbers);
        for (const Metric metric : {Metric::rf, Metric::kf}) {
            EXPECT_EQ(table_of(colliding, metric), table_of(mixed, metric));
        }
    }
}

} // namespace
} // namespace rf::testing
