// How the library starts its threads, and how many it may use. Threads are
// an optimisation, never a requirement: a thread that cannot be started
// (the system refuses one, memory for its stack runs out) leaves its work
// to the threads already there, down to the caller alone, with the same
// results. Tests pass a starter that fails on purpose.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <thread>

namespace rf {

using ThreadBody = std::function<void()>;

// Starts a thread that runs `body`; throws, as std::jthread's constructor
// does, when it cannot.
using ThreadStarter = std::function<std::jthread(ThreadBody)>;

// The ordinary starter: a std::jthread.
[[nodiscard]] std::jthread start_system_thread(ThreadBody body);

// A thread running `body`, or nothing when none could be started.
[[nodiscard]] std::optional<std::jthread> try_start_thread(const ThreadStarter& start, ThreadBody body) noexcept;

// How many threads a piece of work may use, the caller's own included, and
// how any beyond it are started. Copies are cheap enough to pass around.
struct ThreadUse {
    std::size_t threads = 1;
    ThreadStarter start = start_system_thread;

    // One thread for each CPU this process may run on.
    [[nodiscard]] static ThreadUse all_usable();
};

} // namespace rf
