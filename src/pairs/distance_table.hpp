// The all-pairs table as tab-separated text that R's read.delim and pandas
// read as they stand: a header line "matrix", 1..m, then one line per tree,
// its number first, then its distance to every tree. A tree that was not
// rebuilt reads NA in its row and column.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace rf {

// What the table is made from: per matrix, whether its tree was rebuilt and
// the numbers of its inner clusters, equal clusters equal numbers
// (0..cluster_numbers-1).
struct RebuiltTrees {
    std::vector<bool> rebuilt;
    std::vector<std::vector<std::int32_t>> inner_clusters; // empty when not rebuilt
    std::int32_t cluster_numbers = 0;
};

struct TableLayout {
    bool normalised = false; // each distance over its largest possible value, six decimals
    bool first_only = false; // the header and row 1 only
};

// Rows are formatted by up to `threads` threads and written in order. False
// when writing failed.
[[nodiscard]] bool write_distance_table(std::FILE* out, const RebuiltTrees& trees, TableLayout layout,
                                        std::size_t threads);

} // namespace rf
