// A caller's thread count as the library's threads take it: 0 means one
// thread for each CPU the process may run on; more than MOST_THREADS are
// not started (a typo of a million would only cost their stacks).
#pragma once

#include <algorithm>
#include <cstddef>

#include "thread_starter.hpp"

namespace rf_compare::detail {

inline constexpr std::size_t MOST_THREADS = 256;

[[nodiscard]] inline rf::ThreadUse thread_use(std::size_t threads) {
    rf::ThreadUse use = rf::ThreadUse::all_usable();
    if (threads != 0) {
        use.threads = std::min(threads, MOST_THREADS);
    }
    return use;
}

} // namespace rf_compare::detail
