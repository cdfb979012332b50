// SPDX-License-Identifier: MIT
// Writes one PHYLIP distance matrix, as dnadist writes them (square, names
// of ten characters, six decimals): a random binary tree's path lengths,
// each pair's times 1 + NOISE * N(0, 1) (at least 0.01), for neighbor
// joining's benchmark and examples.
//
//   make_joining_matrix N NOISE SEED OUT
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include "random_tree.hpp"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: make_joining_matrix N NOISE SEED OUT\n");
        return 2;
    }
    const auto n = static_cast<std::int32_t>(std::atol(argv[1]));
    const double noise = std::atof(argv[2]);
    std::mt19937_64 rng(std::strtoull(argv[3], nullptr, 10));
    if (n < 3) {
        std::fprintf(stderr, "make_joining_matrix: N must be at least 3\n");
        return 2;
    }
    const rf::tools::RandomTree tree = rf::tools::make_random_tree(n, rf::tools::TreeShape::binary, rng, 0.01, 0.3);
    rf::DistanceMatrix d = rf::tools::path_length_matrix(tree);
    std::normal_distribution<double> normal(0.0, noise);
    for (std::int32_t i = 1; i <= n; ++i) {
        for (std::int32_t j = i + 1; j <= n; ++j) {
            d.at(i, j) *= std::max(1.0 + normal(rng), 0.01);
            d.at(j, i) = d.at(i, j);
        }
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(argv[4], "w"), std::fclose);
    if (!out) {
        std::perror(argv[4]);
        return 1;
    }
    std::fprintf(out.get(), "%5d\n", n);
    for (std::int32_t i = 1; i <= n; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "t%d", i);
        std::fprintf(out.get(), "%-10s", name);
        for (std::int32_t j = 1; j <= n; ++j) {
            std::fprintf(out.get(), " %.6f", d.at(i, j));
        }
        std::fputc('\n', out.get());
    }
    return std::ferror(out.get()) != 0 ? 1 : 0;
}
