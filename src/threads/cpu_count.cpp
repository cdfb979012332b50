#include "cpu_count.hpp"

#include <bit>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <sched.h>
#endif

namespace rf {

std::size_t usable_cpu_count() noexcept {
#ifdef _WIN32
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) != 0 && process != 0) {
        return static_cast<std::size_t>(std::popcount(static_cast<std::uint64_t>(process)));
    }
#elif defined(__linux__)
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0) {
        return static_cast<std::size_t>(CPU_COUNT(&allowed));
    }
#endif
    return 1;
}

} // namespace rf
