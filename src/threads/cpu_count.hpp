// How many CPUs this process may run on: its affinity mask, so that
// `taskset -c 0` means one.
#pragma once

#include <cstddef>

namespace rf {

// 1 when the platform does not tell.
[[nodiscard]] std::size_t usable_cpu_count() noexcept;

} // namespace rf
