#include "standard_streams.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#endif

namespace rf {

void keep_standard_streams_open() noexcept {
#ifndef _WIN32
    // In order: the lowest free descriptor is the one found closed.
    for (const int descriptor : std::array{STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            static_cast<void>(::open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY));
        }
    }
#endif
}

} // namespace rf
