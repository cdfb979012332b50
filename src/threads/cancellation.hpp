// A request to stop long work: the caller's own check (an interpreter's
// signal check, say) is asked from the caller's thread only, at most every
// 20 ms; other threads see its answer through stopped(). Work that is
// stopped throws Cancelled from the caller's thread and keeps nothing
// half-made.
#pragma once

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>

namespace rf {

struct Cancelled : std::exception {
    [[nodiscard]] const char* what() const noexcept override { return "cancelled"; }
};

class Cancellation {
public:
    using Check = std::function<bool()>; // true: stop
    static constexpr std::chrono::milliseconds EVERY{20};

    Cancellation() = default; // never stops
    explicit Cancellation(Check check) : check_(std::move(check)) {}

    // The caller's thread: asks the check when it is due; true once the work
    // is to stop.
    bool poll();

    // The caller's thread: throws Cancelled once the work is to stop.
    void throw_if_requested() {
        if (poll()) {
            throw Cancelled();
        }
    }

    // Any thread.
    [[nodiscard]] bool stopped() const noexcept { return stopped_.load(std::memory_order_relaxed); }

private:
    Check check_;
    std::chrono::steady_clock::time_point next_check_{};
    std::atomic<bool> stopped_{false};
};

} // namespace rf
