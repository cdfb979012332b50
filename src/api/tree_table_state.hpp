// What a TreeTable holds: the numbered trees and how the set was allowed
// to work.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rf_compare/tree_table.hpp"
#include "thread_starter.hpp"
#include "tree_collector.hpp"
#include "tree_edges.hpp"

namespace rf_compare {

struct TreeTable::State {
    rf::NumberedTrees numbered;
    std::int32_t leaf_count = 0;
    std::vector<std::string> names;
    std::vector<detail::TreeVerdict> verdicts;
    bool keep_lengths = true;
    rf::ThreadUse threads;
    std::function<bool()> interrupted;
};

} // namespace rf_compare
