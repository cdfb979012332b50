// The cluster catalog on a thread of its own: each rebuilt tree is numbered
// there, in the order the trees come, while the caller goes on reading and
// rebuilding the next matrices. The thread starts once a batch of trees is
// waiting (a few trees are numbered faster than a thread starts), and is
// joined when the numbers are fetched or the object goes; when no thread
// can be started, the caller numbers the trees itself.
//
// Thread-safety: add_tree() and finish() are the owner's alone.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "cluster_catalog.hpp"
#include "cluster_tree.hpp"
#include "thread_starter.hpp"
#include "tree_edges.hpp"

namespace rf {

class CatalogThread {
public:
    // `keep_lengths`: as the catalog's.
    CatalogThread(std::int32_t leaf_count, bool keep_lengths, const ThreadStarter& start);
    CatalogThread(const CatalogThread&) = delete;
    CatalogThread& operator=(const CatalogThread&) = delete;
    ~CatalogThread(); // what is still waiting is numbered, then the thread is joined

    // Hands over the next tree; nothing for a matrix that was not rebuilt.
    // Waits while many wait.
    void add_tree(std::optional<ClusterTree> tree);

    // Waits until every tree handed over is numbered and stops the thread.
    // Throws what numbering met (std::bad_alloc).
    [[nodiscard]] NumberedTrees finish();

private:
    static constexpr std::size_t MOST_WAITING = 64; // trees of n words each
    static constexpr std::size_t WAKE_AT = 16;

    void close();
    void serve();
    void number(const std::optional<ClusterTree>& tree);
    void number_waiting();

    ClusterCatalog catalog_;
    ThreadStarter start_;
    bool alone_ = false; // no thread could be started: the caller numbers
    std::mutex mutex_;
    // A plain condition variable: GCC 12's stop tokens can miss a wake-up
    // where the platform has no futex (Windows).
    std::condition_variable changed_;
    std::deque<std::optional<ClusterTree>> waiting_;
    bool closed_ = false;
    // Written by the thread alone, read after it has been joined.
    NumberedTrees numbered_;
    std::exception_ptr failure_;
    std::optional<std::jthread> thread_; // last: joined before the rest goes
};

} // namespace rf
