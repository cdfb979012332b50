#include "cancellation.hpp"

namespace rf {

bool Cancellation::poll() {
    if (stopped() || !check_) {
        return stopped();
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < next_check_) {
        return false;
    }
    next_check_ = now + EVERY;
    if (check_()) {
        stopped_.store(true, std::memory_order_relaxed);
    }
    return stopped();
}

} // namespace rf
