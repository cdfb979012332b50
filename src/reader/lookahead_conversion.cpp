#include "lookahead_conversion.hpp"

#include <algorithm>
#include <optional>
#include <utility>

namespace rf {

LookaheadConverter::LookaheadConverter(std::int32_t leaf_count, std::size_t slots, std::size_t workers,
                                       const ThreadStarter& start)
    : entries_(static_cast<std::int64_t>(leaf_count) * leaf_count) {
    slots_.reserve(slots);
    for (std::size_t slot = 0; slot < slots; ++slot) {
        slots_.emplace_back(leaf_count);
        free_slots_.push_back(slot);
    }
    workers_.reserve(workers);
    for (std::size_t worker = 0; worker < workers; ++worker) {
        std::optional<std::jthread> thread = try_start_thread(start, [this] { serve(); });
        if (!thread) {
            break; // take() converts what no thread does
        }
        workers_.push_back(std::move(*thread));
    }
}

LookaheadConverter::~LookaheadConverter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    job_waiting_.notify_all();
}

bool LookaheadConverter::has_matrices() const {
    const std::lock_guard lock(mutex_);
    return !jobs_.empty();
}

bool LookaheadConverter::converted_first(std::uint64_t count) const {
    const std::lock_guard lock(mutex_); // jobs taken were converted
    return std::all_of(jobs_.begin(), jobs_.end(),
                       [count](const Job& job) { return job.number >= count || job.state == State::converted; });
}

std::size_t LookaheadConverter::free_slots() const {
    const std::lock_guard lock(mutex_);
    return free_slots_.size();
}

void LookaheadConverter::schedule(std::string_view words) {
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back({scheduled_++, words, free_slots_.back()});
        free_slots_.pop_back();
    }
    job_waiting_.notify_one();
}

PieceOutcome LookaheadConverter::take(DistanceMatrix& matrix) {
    std::unique_lock lock(mutex_);
    Job& oldest = jobs_.front();
    // Converting a later matrix meanwhile is as good as waiting, and the
    // caller's own core is free.
    while (oldest.state != State::converted) {
        if (!convert_one(lock)) {
            job_converted_.wait(lock, [&oldest] { return oldest.state == State::converted; });
        }
    }
    std::swap(matrix, slots_[oldest.slot]);
    free_slots_.push_back(oldest.slot);
    const PieceOutcome outcome = oldest.outcome;
    jobs_.pop_front();
    return outcome;
}

bool LookaheadConverter::convert_one(std::unique_lock<std::mutex>& lock) {
    const auto waiting = std::find_if(jobs_.begin(), jobs_.end(), [](const Job& job) { return job.state == State::waiting; });
    if (waiting == jobs_.end()) {
        return false;
    }
    Job& job = *waiting;
    job.state = State::converting;
    DistanceMatrix& matrix = slots_[job.slot];
    lock.unlock();
    // The job and its slot are this thread's alone until it is marked converted.
    const char* first = job.words.data();
    PieceOutcome outcome = convert_entries(first, first + job.words.size(), matrix, 0, entries_);
    if (!outcome.bad) {
        for (std::int32_t i = 0; i <= matrix.leaf_count(); ++i) {
            matrix.at(i, i) = 0.0; // [0][0] too
        }
    }
    lock.lock();
    job.outcome = outcome;
    job.state = State::converted;
    job_converted_.notify_all();
    return true;
}

void LookaheadConverter::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        job_waiting_.wait(lock, [this] {
            return stopping_ || std::any_of(jobs_.begin(), jobs_.end(), [](const Job& job) { return job.state == State::waiting; });
        });
        if (stopping_) {
            return;
        }
        convert_one(lock);
    }
}

} // namespace rf
