#include "catalog_thread.hpp"

#include <utility>

namespace rf {

CatalogThread::CatalogThread(std::int32_t leaf_count, bool keep_lengths, const ThreadStarter& start)
    : catalog_(leaf_count, keep_lengths), start_(start) {}

CatalogThread::~CatalogThread() { close(); }

void CatalogThread::close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

void CatalogThread::number(const std::optional<ClusterTree>& tree) {
    numbered_.trees.push_back(tree ? catalog_.add_tree(*tree) : TreeEdges{});
}

// Before the thread starts, and when it could not, only the caller's
// thread touches the catalog and the queue.
void CatalogThread::number_waiting() {
    for (; !waiting_.empty(); waiting_.pop_front()) {
        number(waiting_.front());
    }
}

void CatalogThread::add_tree(std::optional<ClusterTree> tree) {
    if (alone_) {
        number(tree);
        return;
    }
    if (!thread_) {
        waiting_.push_back(std::move(tree));
        if (waiting_.size() == WAKE_AT) {
            thread_ = try_start_thread(start_, [this] { serve(); });
            alone_ = !thread_;
            if (alone_) {
                number_waiting();
            }
        }
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < MOST_WAITING; });
    waiting_.push_back(std::move(tree));
    // The thread is woken for a batch: a tree takes it far less time to
    // number than a wake-up costs the reader.
    const bool batch_ready = waiting_.size() == WAKE_AT;
    lock.unlock();
    if (batch_ready) {
        changed_.notify_all();
    }
}

NumberedTrees CatalogThread::finish() {
    close();
    if (thread_) {
        thread_->join();
    } else {
        number_waiting();
    }
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    numbered_.cluster_numbers = catalog_.size();
    return std::move(numbered_);
}

void CatalogThread::serve() {
    for (;;) {
        std::optional<ClusterTree> next;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !waiting_.empty() || closed_; });
            if (waiting_.empty()) {
                return; // closed with nothing left
            }
            next = std::move(waiting_.front());
            waiting_.pop_front();
            if (waiting_.size() + 1 == MOST_WAITING) {
                changed_.notify_all(); // the reader may be waiting for room
            }
        }
        if (!failure_) {
            try {
                number(next);
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
    }
}

} // namespace rf
