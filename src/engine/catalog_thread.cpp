#include "catalog_thread.hpp"

namespace rf {

CatalogThread::CatalogThread(std::int32_t leaf_count, bool keep_lengths)
    : catalog_(leaf_count, keep_lengths), thread_([this] { serve(); }) {}

CatalogThread::~CatalogThread() { close(); }

void CatalogThread::close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

void CatalogThread::add_tree(ClusterTree tree, std::int32_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < MOST_WAITING; });
    waiting_.emplace_back(std::move(tree), count);
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
    thread_.join();
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    numbered_.cluster_numbers = catalog_.size();
    return std::move(numbered_);
}

void CatalogThread::serve() {
    for (;;) {
        std::pair<ClusterTree, std::int32_t> next;
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
                numbered_.trees.push_back(next.second == 0 ? TreeEdges{} : catalog_.add_tree(next.first, next.second));
            } catch (...) {
                failure_ = std::current_exception();
            }
        }
    }
}

} // namespace rf
