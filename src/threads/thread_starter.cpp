#include "thread_starter.hpp"

#include <exception>

#include "cpu_count.hpp"

namespace rf {

std::jthread start_system_thread(ThreadBody body) { return std::jthread(std::move(body)); }

std::optional<std::jthread> try_start_thread(const ThreadStarter& start, ThreadBody body) noexcept {
    try {
        return start(std::move(body));
    } catch (const std::exception&) { // std::system_error, std::bad_alloc: no thread to be had
        return std::nullopt;
    }
}

ThreadUse ThreadUse::all_usable() { return {usable_cpu_count(), start_system_thread}; }

} // namespace rf
