#include "thread_team.hpp"

#include <chrono>
#include <new>
#include <optional>

namespace rf {

namespace {

// A hint to the processor that this is a wait loop.
void pause_processor() noexcept {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

} // namespace

ThreadTeam::ThreadTeam(const ThreadUse& use) noexcept {
    try {
        workers_.reserve(use.threads > 0 ? use.threads - 1 : 0);
    } catch (const std::bad_alloc&) {
        return; // the caller alone
    }
    for (std::size_t member = 1; member < use.threads; ++member) {
        std::optional<std::jthread> worker = try_start_thread(use.start, [this, member] { serve(member); });
        if (!worker) {
            break;
        }
        workers_.push_back(std::move(*worker)); // within the room reserved: cannot throw
    }
}

ThreadTeam::~ThreadTeam() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    job_posted_.notify_all(); // then the workers are joined as they go
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
// than a block's read. The wait is a processor's pause, not a yield to the
// system: on virtual machines a yield is a costly call that a profile
// counted as a tenth of a run; every so often one still lets another thread
// have the processor.
template <typename Condition>
void ThreadTeam::stay_awake_while(Condition condition) {
    constexpr auto AWAKE_FOR = std::chrono::microseconds(500);
    constexpr std::uint32_t PAUSES_PER_YIELD = 256;
    const auto until = std::chrono::steady_clock::now() + AWAKE_FOR;
    for (std::uint32_t pauses = 1; condition() && std::chrono::steady_clock::now() < until; ++pauses) {
        if (pauses % PAUSES_PER_YIELD == 0) {
            std::this_thread::yield();
        } else {
            pause_processor();
        }
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
