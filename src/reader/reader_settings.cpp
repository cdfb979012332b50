#include "reader_settings.hpp"

#include <algorithm>

namespace rf {

ReaderSettings ReaderSettings::for_threads(const ThreadUse& threads) {
    ReaderSettings settings;
    settings.threads = threads;
    settings.block_size = std::max(settings.block_size, threads.threads * 4 * settings.piece_size);
    return settings;
}

} // namespace rf
