#include "thread_team.hpp"

#include <chrono>
#include <system_error>

namespace rf {

ThreadTeam::ThreadTeam(std::size_t members) {
    workers_.reserve(members > 0 ? members - 1 : 0);
    for (std::size_t member = 1; member < members; ++member) {
        workers_.emplace_back([this, member] { serve(member); });
    }
}

ThreadTeam::~ThreadTeam() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    job_posted_.notify_all(); // then the workers are joined as they go
}

void ThreadTeam::start_if_useful(std::optional<ThreadTeam>& team, std::size_t members) {
    if (members > 1) {
        try {
            team.emplace(members);
        } catch (const std::system_error&) { // no threads to be had
        }
    }
}

void ThreadTeam::run_erased(void* job, Call call) {
    {
        const std::lock_guard lock(mutex_);
        job_ = job;
        call_ = call;
        running_ = workers_.size();
        ++generation_;
    }
    job_posted_.notify_all();
    call(job, 0);
    stay_awake_while([this] { return running_.load(std::memory_order_relaxed) != 0; });
    std::unique_lock lock(mutex_);
    job_done_.wait(lock, [this] { return running_ == 0; });
}

// Members finish a block's job at about the same time, and the next job
// comes within a read of the caller's: waiting for them awake for a moment
// saves falling asleep and being woken for every block, which costs more
// than a block's read.
template <typename Condition>
void ThreadTeam::stay_awake_while(Condition condition) {
    constexpr auto AWAKE_FOR = std::chrono::microseconds(500);
    const auto until = std::chrono::steady_clock::now() + AWAKE_FOR;
    while (condition() && std::chrono::steady_clock::now() < until) {
        std::this_thread::yield();
    }
}

void ThreadTeam::serve(std::size_t member) {
    std::uint64_t served = 0;
    for (;;) {
        void* job = nullptr;
        Call call = nullptr;
        stay_awake_while([this, served] {
            return generation_.load(std::memory_order_relaxed) == served && !stopping_.load(std::memory_order_relaxed);
        });
        {
            std::unique_lock lock(mutex_);
            job_posted_.wait(lock, [this, served] { return generation_ != served || stopping_; });
            if (stopping_) {
                return; // the team is being destroyed
            }
            served = generation_;
            job = job_;
            call = call_;
        }
        call(job, member);
        const std::lock_guard lock(mutex_);
        if (--running_ == 0) {
            job_done_.notify_one();
        }
    }
}

} // namespace rf
