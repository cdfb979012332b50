// The weighted metrics with the widest vectors the processor has against
// the same with the instructions every processor has: the same sums, bit
// for bit, on trees sharing clusters with many, some or no other trees.
#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "cluster_catalog.hpp"
#include "random_tree.hpp"
#include "tree_reconstruction.hpp"
#include "weighted_distances.hpp"

namespace rf::testing {
namespace {

TEST(WeightedDistances, WideVectorsGiveThePortableSums) {
    std::mt19937_64 rng(7);
    constexpr std::int32_t N = 37; // columns not a multiple of the lanes
    const tools::RandomTree base = tools::make_random_tree(N, tools::TreeShape::binary, rng, 0.05, 1.0);
    ClusterCatalog catalog(N, true);
    NumberedTrees numbered;
    for (int t = 0; t < 40; ++t) {
        const tools::RandomTree tree =
            t % 3 == 0 ? tools::make_random_tree(N, tools::TreeShape::multifurcating, rng, 0.05, 1.0) : base;
        const std::optional<ClusterTree> rebuilt = rebuild_tree(tools::path_length_matrix(tree));
        ASSERT_TRUE(rebuilt);
        numbered.trees.push_back(catalog.add_tree(*rebuilt));
    }
    numbered.cluster_numbers = catalog.size();
    for (const Metric metric : {Metric::wrf, Metric::kf}) {
        const WeightedDistances distances(numbered, metric);
        WeightedDistances::Scratch scratch;
        std::vector<double> wide(numbered.trees.size());
        std::vector<double> portable(numbered.trees.size());
        for (std::size_t t = 0; t < numbered.trees.size(); ++t) {
            distances.row(t, scratch, wide);
            distances.row_portably(t, scratch, portable);
            ASSERT_EQ(wide.size(), portable.size());
            for (std::size_t j = 0; j < wide.size(); ++j) {
                ASSERT_EQ(std::bit_cast<std::uint64_t>(wide[j]), std::bit_cast<std::uint64_t>(portable[j])) << t << ", " << j;
            }
        }
    }
}

} // namespace
} // namespace rf::testing
