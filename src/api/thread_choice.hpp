// A caller's thread count as the library's threads take it: 0 means one
// thread for each CPU the process may run on.
#pragma once

#include <cstddef>

#include "thread_starter.hpp"

namespace rf_compare::detail {

[[nodiscard]] inline rf::ThreadUse thread_use(std::size_t threads) {
    rf::ThreadUse use = rf::ThreadUse::all_usable();
    if (threads != 0) {
        use.threads = threads;
    }
    return use;
}

} // namespace rf_compare::detail
