// A team of threads that run one job at a time, every member on its own
// part of it: the caller is member 0, the others are threads owned by the
// team, which stop and are joined when it is destroyed. A team has as many
// members as threads could be started, one (the caller alone) at the least.
//
// Thread-safety: run() is called by the team's owner only, one job at a time.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "thread_starter.hpp"

namespace rf {

class ThreadTeam {
public:
    // Up to use.threads members. Never throws: members that cannot be
    // started are done without.
    explicit ThreadTeam(const ThreadUse& use) noexcept;
    ThreadTeam(const ThreadTeam&) = delete;
    ThreadTeam& operator=(const ThreadTeam&) = delete;
    ~ThreadTeam();

    [[nodiscard]] std::size_t size() const noexcept { return workers_.size() + 1; }

    // Calls job(member) once for every member 0..size()-1, in parallel, and
    // returns when all calls have returned. The job must not throw.
    template <typename Job>
    void run(Job& job) {
        if (workers_.empty()) {
            job(std::size_t{0});
            return;
        }
        run_erased(&job, [](void* erased, std::size_t member) { (*static_cast<Job*>(erased))(member); });
    }

private:
    using Call = void (*)(void*, std::size_t);
    void run_erased(void* job, Call call);
    template <typename Condition>
    static void stay_awake_while(Condition condition);
    void serve(std::size_t member);

    // Plain condition variables and a flag of our own: GCC 12's stop tokens
    // and atomic waits can miss a wake-up where the platform has no futex
    // (Windows), which left a thread waiting for ever at the end of a run.
    std::mutex mutex_;
    std::condition_variable job_posted_;
    std::condition_variable job_done_;
    void* job_ = nullptr;
    Call call_ = nullptr;
    // Written under the mutex, also read without it.
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<std::size_t> running_{0};
    std::atomic<bool> stopping_{false};
    std::vector<std::jthread> workers_; // last: joined before the rest goes
};

} // namespace rf
