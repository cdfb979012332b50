// Small matrices converted ahead of the caller: while the caller works on
// one matrix (rebuilds and compares its tree), the next matrices whose words
// have all been read are converted side by side, one per thread, each into
// a matrix of its own. The caller takes them in file order; each keeps the
// outcome a single thread would have given it, so the first bad word in
// file order is the one the caller meets first. The words scheduled must
// stay where they are until every scheduled matrix has been converted.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "distance_matrix.hpp"
#include "entry_conversion.hpp"
#include "thread_starter.hpp"

namespace rf {

class LookaheadConverter {
public:
    // Matrices of n leaves, up to `slots` of them ahead of the caller, by the
    // caller and up to `workers` threads started by `start` (the caller alone
    // when none can be). Throws std::bad_alloc when the matrices cannot be had.
    LookaheadConverter(std::int32_t leaf_count, std::size_t slots, std::size_t workers, const ThreadStarter& start);
    LookaheadConverter(const LookaheadConverter&) = delete;
    LookaheadConverter& operator=(const LookaheadConverter&) = delete;
    ~LookaheadConverter(); // the workers stop after the matrix at hand and are joined

    [[nodiscard]] bool has_matrices() const; // scheduled and not yet taken
    [[nodiscard]] std::size_t free_slots() const;
    [[nodiscard]] std::uint64_t scheduled() const noexcept { return scheduled_; } // ever
    // True when the first `count` matrices ever scheduled are converted, so
    // that their words are no longer read.
    [[nodiscard]] bool converted_first(std::uint64_t count) const;

    // The next matrix: its n * n words, each ending at white space or at the
    // end. Needs a free slot.
    void schedule(std::string_view words);

    // Waits for the oldest matrix scheduled, converting the ones waiting
    // meanwhile, and swaps it into `matrix` (of n leaves), whose storage
    // serves a later one. Its outcome: a bad word stops it where one thread
    // would have stopped. Needs has_matrices().
    [[nodiscard]] PieceOutcome take(DistanceMatrix& matrix);

private:
    enum class State { waiting, converting, converted };
    struct Job {
        std::uint64_t number; // from 0, in the order scheduled
        std::string_view words;
        std::size_t slot;
        State state = State::waiting;
        PieceOutcome outcome{};
    };

    void serve();
    // Converts the oldest waiting job, if there is one; the lock is held
    // before and after, not while converting.
    bool convert_one(std::unique_lock<std::mutex>& lock);

    std::int64_t entries_;
    std::vector<DistanceMatrix> slots_;
    std::vector<std::size_t> free_slots_;
    mutable std::mutex mutex_;
    std::condition_variable job_waiting_;
    std::condition_variable job_converted_;
    std::deque<Job> jobs_; // oldest first; references stay valid as jobs come and go
    std::uint64_t scheduled_ = 0; // the caller's alone
    bool stopping_ = false;
    std::vector<std::jthread> workers_; // last: joined before the rest goes
};

} // namespace rf
