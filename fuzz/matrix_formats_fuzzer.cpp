// Arbitrary bytes as a matrix file of every format (recognised, PHYLIP,
// CSV, TSV), read through the library with one thread and with three:
// every read ends with the matrices or with the library's Error, never a
// crash, a hang or another exception, and both reads agree on what they
// gave: the same numbers, names and message.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_check.hpp"
#include "rf_compare/rf_compare.hpp"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    std::vector<std::vector<double>> matrices;
    std::vector<std::string> names;
    std::string error;
    bool operator==(const Outcome& other) const {
        if (matrices.size() != other.matrices.size() || names != other.names || error != other.error) {
            return false;
        }
        for (std::size_t k = 0; k < matrices.size(); ++k) { // bit for bit, NaN too
            if (std::memcmp(matrices[k].data(), other.matrices[k].data(), matrices[k].size() * sizeof(double)) != 0) {
                return false;
            }
        }
        return true;
    }
};

Outcome read(const fs::path& file, rf_compare::FileFormat format, std::size_t threads) {
    Outcome outcome;
    try {
        rf_compare::MatrixReader reader(file.string(), {std::nullopt, format, {}, threads});
        const auto n = static_cast<std::size_t>(reader.leaf_count());
        FUZZ_CHECK(n >= 2);
        for (std::vector<double> cells(n * n); reader.read_next(cells);) {
            outcome.matrices.push_back(cells);
        }
        outcome.names = reader.names();
    } catch (const rf_compare::Error& e) {
        outcome.error = e.what();
    }
    return outcome;
}

// Files asking for thousands of leaves only exercise their allocation.
bool asks_for_huge_matrices(const std::string& text) {
    const std::size_t digits = text.find_first_of("0123456789");
    return digits != std::string::npos && text.find_first_not_of("0123456789", digits) - digits > 4;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (asks_for_huge_matrices(text)) {
        return 0;
    }
    static const fs::path file = fs::temp_directory_path() / ("rf_formats_fuzz_" + std::to_string(getpid()) + ".txt");
    std::ofstream(file, std::ios::binary) << text;
    for (const auto format : {rf_compare::FileFormat::automatic, rf_compare::FileFormat::phylip,
                              rf_compare::FileFormat::csv, rf_compare::FileFormat::tsv}) {
        FUZZ_CHECK(read(file, format, 1) == read(file, format, 3));
    }
    return 0;
}
