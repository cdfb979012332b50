// SPDX-License-Identifier: MIT
// Times neighbor joining or BIONJ on one PHYLIP square matrix (names of one
// word), the reading left out, as the peers' times are taken in R; prints
// the seconds (wall, and this process's CPU) and writes the tree, leaves by
// name, as Newick.
//
//   joining_timer nj|bionj MATRIX NEWICK_OUT [THREADS]
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "newick.hpp"
#include "neighbor_joining.hpp"
#include "thread_team.hpp"
#include "tolerances.hpp"
#include "tree_of_joins.hpp"

int main(int argc, char** argv) {
    if (argc < 4 || (std::string(argv[1]) != "nj" && std::string(argv[1]) != "bionj")) {
        std::fprintf(stderr, "usage: joining_timer nj|bionj MATRIX NEWICK_OUT [THREADS]\n");
        return 2;
    }
    std::ifstream in(argv[2]);
    std::int32_t n = 0;
    in >> n;
    rf::DistanceMatrix d(n);
    std::vector<std::string> names(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) {
        in >> names[static_cast<std::size_t>(i) - 1];
        for (std::int32_t j = 1; j <= n; ++j) {
            in >> d.at(i, j);
        }
    }
    if (!in || n < 2) {
        std::fprintf(stderr, "joining_timer: %s is not a square PHYLIP matrix\n", argv[2]);
        return 1;
    }
    const std::size_t threads = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1;
    rf::ThreadTeam team(rf::ThreadUse{threads});
    const auto formula = std::string(argv[1]) == "nj" ? rf::JoiningFormula::neighbor_joining : rf::JoiningFormula::bionj;
    const std::clock_t cpu_start = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const rf::ClusterTree tree = rf::tree_of_joins(rf::join_neighbors(d, formula, {&team, {}}), rf::ZERO_TOLERANCE);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    std::string line;
    rf::append_newick(tree, line, &names);
    std::ofstream(argv[3]) << line;
    std::printf("%.6f %.6f\n", took.count(), cpu);
    return 0;
}
