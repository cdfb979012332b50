// Writes a matrix file of random trees' path-length matrices, and optionally
// the true Robinson-Foulds distances of trees 2..m to tree 1, one "%d \n"
// line each, as the result file should read. "families" makes the trees of
// each third of the file one random binary tree, with its edge lengths
// scaled by 0.7 to 1.3 each and, every other time, two leaves swapped:
// trees that fall into groups, for pictures of tree space.
//
//   make_matrix_file N M binary|multifurcating|caterpillar|families SEED OUT [TRUTH]
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "random_tree.hpp"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool parse_shape(std::string_view name, rf::tools::TreeShape& shape) {
    if (name == "binary" || name == "families") {
        shape = rf::tools::TreeShape::binary;
    } else if (name == "multifurcating") {
        shape = rf::tools::TreeShape::multifurcating;
    } else if (name == "caterpillar") {
        shape = rf::tools::TreeShape::caterpillar;
    } else {
        return false;
    }
    return true;
}

// One row per line, six decimals, as other tools write them.
void write_matrix(std::FILE* out, const rf::DistanceMatrix& matrix) {
    const std::int32_t n = matrix.leaf_count();
    std::string line;
    char number[64];
    for (std::int32_t i = 1; i <= n; ++i) {
        line.clear();
        for (std::int32_t j = 1; j <= n; ++j) {
            const auto [end, ec] =
                std::to_chars(number, number + sizeof number, matrix.at(i, j), std::chars_format::fixed, 6);
            line.append(number, end);
            line.push_back(j < n ? ' ' : '\n');
        }
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

// A member of a family: the tree with every edge's length scaled, and two
// leaves swapped every other time.
rf::tools::RandomTree family_member(rf::tools::RandomTree tree, long j, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> scale(0.7, 1.3);
    for (std::size_t v = 0; v < tree.adjacency.size(); ++v) {
        for (rf::tools::Edge& edge : tree.adjacency[v]) {
            if (static_cast<std::size_t>(edge.to) > v) {
                edge.length *= scale(rng);
                for (rf::tools::Edge& back : tree.adjacency[static_cast<std::size_t>(edge.to)]) {
                    back.length = back.to == static_cast<std::int32_t>(v) ? edge.length : back.length;
                }
            }
        }
    }
    if (j % 2 == 0) {
        std::uniform_int_distribution<std::size_t> leaf(0, tree.label.size() - 1);
        std::swap(tree.label[leaf(rng)], tree.label[leaf(rng)]);
    }
    return tree;
}

} // namespace

int main(int argc, char** argv) {
    rf::tools::TreeShape shape{};
    if (argc < 6 || !parse_shape(argv[3], shape)) {
        std::fputs("usage: make_matrix_file N M binary|multifurcating|caterpillar|families SEED OUT [TRUTH]\n", stderr);
        return 2;
    }
    const auto n = static_cast<std::int32_t>(std::strtol(argv[1], nullptr, 10));
    const long m = std::strtol(argv[2], nullptr, 10);
    std::mt19937_64 rng(std::strtoull(argv[4], nullptr, 10));
    const File out(std::fopen(argv[5], "wb"));
    const File truth(argc > 6 ? std::fopen(argv[6], "wb") : nullptr);
    if (n < 2 || m < 1 || !out || (argc > 6 && !truth)) {
        std::fputs("make_matrix_file: bad arguments or cannot open the output\n", stderr);
        return 2;
    }
    std::fprintf(out.get(), "%d\n", static_cast<int>(n));
    std::vector<rf::tools::Cluster> first;
    std::vector<rf::tools::RandomTree> families;
    if (std::string_view(argv[3]) == "families") {
        for (int f = 0; f < 3; ++f) {
            families.push_back(rf::tools::make_random_tree(n, shape, rng, 0.05, 1.0));
        }
    }
    for (long j = 1; j <= m; ++j) {
        const rf::tools::RandomTree tree =
            families.empty() ? rf::tools::make_random_tree(n, shape, rng, 0.05, 1.0)
                             : family_member(families[static_cast<std::size_t>((j - 1) * 3 / m)], j, rng);
        write_matrix(out.get(), rf::tools::path_length_matrix(tree));
        if (truth) {
            std::vector<rf::tools::Cluster> clusters = rf::tools::clusters_below_leaf_one(tree);
            if (j == 1) {
                first = std::move(clusters);
            } else {
                std::fprintf(truth.get(), "%d \n", static_cast<int>(rf::tools::symmetric_difference_size(first, clusters)));
            }
        }
    }
    return 0;
}
