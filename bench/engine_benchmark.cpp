// The engine alone on one matrix already in memory: leaf order, the whole
// reconstruction (order included), its clusters as rf_compare compares
// them, the distance, and all of them together.
// The "alloc_bytes" counter is what one matrix allocates beyond the
// caller's table and list.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <new>

#include "leaf_order.hpp"
#include "matrix_survey.hpp"
#include "tree_misfit.hpp"
#include "random_tree.hpp"
#include "cluster_table.hpp"
#include "rf_distance.hpp"
#include "tree_reconstruction.hpp"

namespace {

// Measurement only: counts the bytes requested through operator new.
std::atomic<std::size_t> allocated_bytes{0};

} // namespace

void* operator new(std::size_t bytes) {
    allocated_bytes += bytes;
    if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) {
        return block;
    }
    throw std::bad_alloc();
}
// GCC pairs the malloc above with the free below only by inlining; the pair
// is right, the warning is not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace {

using rf::tools::TreeShape;

struct Fixture {
    Fixture(std::int32_t n, TreeShape shape, std::mt19937_64 rng)
        : matrix(rf::tools::path_length_matrix(rf::tools::make_random_tree(n, shape, rng, 0.05, 1.0))),
          reference(n), current(n) {
        reference_count = rf::describe_clusters(*rf::rebuild_tree(matrix), reference.table, reference.list);
        current_count = rf::describe_clusters(*rf::rebuild_tree(matrix), current.table, current.list);
    }
    struct Tree {
        explicit Tree(std::int32_t n) : table(n), list(n) {}
        rf::ClusterTable table;
        rf::ClusterList list;
    };
    rf::DistanceMatrix matrix;
    Tree reference;
    Tree current;
    std::int32_t reference_count = 0;
    std::int32_t current_count = 0;
};

const Fixture& fixture(std::int32_t n, TreeShape shape) {
    static std::map<std::pair<std::int32_t, TreeShape>, Fixture> made; // built once per size and shape
    auto it = made.find({n, shape});
    if (it == made.end()) {
        it = made.try_emplace({n, shape}, n, shape, std::mt19937_64(42)).first;
    }
    return it->second;
}

TreeShape shape_of(const benchmark::State& state) { return state.range(1) == 0 ? TreeShape::binary : TreeShape::caterpillar; }

void BM_build_leaf_order(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    rf::LeafOrder order;
    while (state.KeepRunning()) {
        rf::build_leaf_order(f.matrix, order, 1, f.matrix.leaf_count());
        benchmark::DoNotOptimize(order.data());
    }
}

void BM_rebuild_tree(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(rf::rebuild_tree(f.matrix));
    }
}

// The checks every tree gets besides its rebuilding: the matrix surveyed
// before, the tree's misfit after; both read the whole matrix once.
void BM_survey_matrix(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(rf::survey_matrix(f.matrix));
    }
}

void BM_tree_misfit(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    const rf::ClusterTree rebuilt = *rf::rebuild_tree(f.matrix);
    const double largest = rf::survey_matrix(f.matrix).largest;
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(rf::misfit_of(f.matrix, rebuilt, largest));
    }
}

void BM_describe_clusters(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    const rf::ClusterTree rebuilt = *rf::rebuild_tree(f.matrix);
    Fixture::Tree tree(f.matrix.leaf_count());
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(rf::describe_clusters(rebuilt, tree.table, tree.list));
    }
}

void BM_rf_distance(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    while (state.KeepRunning()) {
        benchmark::DoNotOptimize(rf::rf_distance(f.reference.table, f.current.table, f.reference.list,
                                                 f.current.list, f.reference_count, f.current_count));
    }
}

void BM_whole_engine(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<std::int32_t>(state.range(0)), shape_of(state));
    Fixture::Tree tree(f.matrix.leaf_count());
    const std::size_t before = allocated_bytes;
    std::size_t iterations = 0;
    while (state.KeepRunning()) {
        const std::int32_t count = rf::describe_clusters(*rf::rebuild_tree(f.matrix), tree.table, tree.list);
        benchmark::DoNotOptimize(
            rf::rf_distance(f.reference.table, tree.table, f.reference.list, tree.list, f.reference_count, count));
        ++iterations;
    }
    state.counters["alloc_bytes"] = static_cast<double>(allocated_bytes - before) / static_cast<double>(iterations);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgsProduct({{1000, 4000}, {0, 1}})->ArgNames({"n", "caterpillar"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_build_leaf_order)->Apply(sizes);
BENCHMARK(BM_rebuild_tree)->Apply(sizes);
BENCHMARK(BM_survey_matrix)->Apply(sizes);
BENCHMARK(BM_tree_misfit)->Apply(sizes);
BENCHMARK(BM_describe_clusters)->Apply(sizes);
BENCHMARK(BM_rf_distance)->Apply(sizes);
BENCHMARK(BM_whole_engine)->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
