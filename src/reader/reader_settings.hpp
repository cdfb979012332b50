// How a matrix file is read: by how many threads, in blocks of what size.
// The numbers read are the same whatever the settings.
#pragma once

#include <cstddef>

#include "thread_starter.hpp"

namespace rf {

struct ReaderSettings {
    ThreadUse threads;
    std::size_t block_size = std::size_t{1024} * 1024;
    // A run of words shorter than this per thread is converted by one thread:
    // waking the others would cost more than it saves.
    std::size_t piece_size = std::size_t{64} * 1024;

    // Blocks large enough to give each thread a share.
    [[nodiscard]] static ReaderSettings for_threads(const ThreadUse& threads);
};

} // namespace rf
