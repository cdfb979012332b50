// The cluster catalog on a thread of its own: each rebuilt tree is numbered
// there, in the order the trees come, while the caller goes on reading and
// rebuilding the next matrices. Owns its thread, which is joined when the
// numbers are fetched or the object goes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "cluster_catalog.hpp"
#include "engine_types.hpp"

namespace rf {

class CatalogThread {
public:
    // `keep_lengths`: as the catalog's.
    CatalogThread(std::int32_t leaf_count, bool keep_lengths);
    CatalogThread(const CatalogThread&) = delete;
    CatalogThread& operator=(const CatalogThread&) = delete;
    ~CatalogThread(); // what is still waiting is numbered, then the thread is joined

    // Hands over the next tree, of clusters 1..count (0: a matrix that was
    // not rebuilt, which has none); waits while many wait.
    void add_tree(ClusterTree tree, std::int32_t count);

    // Waits until every tree handed over is numbered and stops the thread.
    // Rethrows what the thread met (running out of memory).
    [[nodiscard]] NumberedTrees finish();

private:
    static constexpr std::size_t MOST_WAITING = 64; // trees of n words each
    static constexpr std::size_t WAKE_AT = 16;

    void close();
    void serve();

    ClusterCatalog catalog_;
    std::mutex mutex_;
    // A plain condition variable: GCC 12's stop tokens can miss a wake-up
    // where the platform has no futex (Windows).
    std::condition_variable changed_;
    std::deque<std::pair<ClusterTree, std::int32_t>> waiting_;
    bool closed_ = false;
    // Written by the thread alone, read after it has been joined.
    NumberedTrees numbered_;
    std::exception_ptr failure_;
    std::jthread thread_; // last: joined before the rest goes
};

} // namespace rf
