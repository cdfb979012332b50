// The all-pairs table as tab-separated text that R's read.delim and pandas
// read as they stand: a header line "matrix", 1..m, then one line per tree,
// its number first, then its distance to every tree. A tree that was not
// rebuilt reads NA in its row and column.
#pragma once

#include <cstdint>

#include "line_file.hpp"

#include "metric.hpp"
#include "thread_starter.hpp"
#include "tree_edges.hpp"

namespace rf {

struct TableLayout {
    Metric metric = Metric::rf;
    bool normalised = false; // Robinson-Foulds over its largest possible value, six decimals
    bool first_only = false; // the header and row 1 only
};

// Rows are computed and formatted by up to threads.threads threads and
// written in order. False when writing failed; std::bad_alloc when memory
// ran out.
[[nodiscard]] bool write_distance_table(LineFile& out, const NumberedTrees& trees, TableLayout layout,
                                        const ThreadUse& threads);

} // namespace rf
