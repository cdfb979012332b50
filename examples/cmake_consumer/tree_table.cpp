// Reads a matrix file, rebuilds every tree and prints the branch score of
// the first tree to each of the others, and the first tree in Newick:
// what a program of another project does with the installed library.
#include <cstdio>
#include <vector>

#include <rf_compare/rf_compare.hpp>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tree_table MATRIX_FILE\n");
        return 2;
    }
    try {
        rf_compare::MatrixReader reader(argv[1]);
        const std::int32_t n = reader.leaf_count();
        std::vector<double> first(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
        reader.read_next(first);
        const rf_compare::Tree tree = rf_compare::rebuild({first.data(), n, n, n * 8, 8});

        rf_compare::TreeSet set;
        set.add({first.data(), n, n, n * 8, 8});
        set.add_all(reader);
        const rf_compare::TreeTable table = set.finish();
        const rf_compare::TableRequest request{rf_compare::Metric::kf, false, rf_compare::Rows::first};
        std::vector<double> row(table.cells(request));
        table.distances(request, row);

        std::printf("rf_compare %s, %zu trees of %d leaves\n", RF_COMPARE_VERSION, table.size(), n);
        for (std::size_t j = 1; j < row.size(); ++j) {
            std::printf("%zu %.6f\n", j + 1, row[j]);
        }
        std::printf("%s\n", tree.newick().c_str());
    } catch (const rf_compare::Error& e) {
        std::fprintf(stderr, "tree_table: %s\n", e.what());
        return 1;
    }
    return 0;
}
