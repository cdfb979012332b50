// Arbitrary bytes as Newick text and as a tree file of each format: every
// read ends with trees or with the library's Error, never a crash, a hang
// or another exception; and every tree read gives itself back through its
// own Newick line (the same leaves, Robinson-Foulds distance 0).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_check.hpp"
#include "rf_compare/rf_compare.hpp"

namespace {

namespace fs = std::filesystem;

void check_round_trip(const rf_compare::Tree& tree) {
    const rf_compare::Tree again = rf_compare::tree_from_newick(tree.newick());
    std::vector<std::string> names = tree.names(); // the line may name them in another order
    std::vector<std::string> names_again = again.names();
    std::sort(names.begin(), names.end());
    std::sort(names_again.begin(), names_again.end());
    FUZZ_CHECK(names == names_again);
    FUZZ_CHECK(again.has_lengths() == tree.has_lengths());
    rf_compare::TreeSet set;
    set.add(tree);
    set.add(again);
    const rf_compare::TreeTable table = set.finish();
    std::vector<double> cells(table.cells({}));
    table.distances({}, cells);
    FUZZ_CHECK(cells[1] == 0.0 && cells[2] == 0.0);
}

void read_file(const fs::path& file, rf_compare::FileFormat format) {
    try {
        rf_compare::TreeReader reader({file.string()}, format);
        while (const std::optional<rf_compare::Tree> tree = reader.next()) {
            check_round_trip(*tree);
        }
    } catch (const rf_compare::Error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        check_round_trip(rf_compare::tree_from_newick(text));
    } catch (const rf_compare::Error&) {
    }
    static const fs::path file = fs::temp_directory_path() / ("rf_trees_fuzz_" + std::to_string(getpid()) + ".tre");
    std::ofstream(file, std::ios::binary) << text;
    for (const auto format : {rf_compare::FileFormat::automatic, rf_compare::FileFormat::newick,
                              rf_compare::FileFormat::nexus}) {
        read_file(file, format);
    }
    return 0;
}
