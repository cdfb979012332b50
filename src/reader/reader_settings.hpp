// How a matrix file is read: by how many threads, in blocks of what size.
// The numbers read are the same whatever the settings.
#pragma once

#include <cstddef>

namespace rf {

struct ReaderSettings {
    std::size_t threads = 1;
    std::size_t block_size = std::size_t{1024} * 1024;
    // A run of words shorter than this per thread is converted by one thread:
    // waking the others would cost more than it saves.
    std::size_t piece_size = std::size_t{64} * 1024;

    // One thread for each CPU this process may run on (its affinity), and
    // blocks large enough to give each a share.
    [[nodiscard]] static ReaderSettings for_this_machine();
};

// The CPUs this process may run on; 1 when the platform does not tell.
[[nodiscard]] std::size_t usable_cpu_count() noexcept;

} // namespace rf
