#include "standard_streams.hpp"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace rf {

namespace {

#ifndef _WIN32
// True when the descriptor was closed, and is now the null device.
bool reopened_if_closed(int descriptor, int flags) noexcept {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) {
        return false;
    }
    static_cast<void>(::open("/dev/null", flags));
    return true;
}
#endif

} // namespace

ClosedAtStart keep_standard_streams_open() noexcept {
    ClosedAtStart closed;
#ifndef _WIN32
    // In order: the lowest free descriptor is the one found closed.
    closed.input = reopened_if_closed(STDIN_FILENO, O_RDONLY);
    closed.output = reopened_if_closed(STDOUT_FILENO, O_WRONLY);
    closed.errors = reopened_if_closed(STDERR_FILENO, O_WRONLY);
#endif
    return closed;
}

} // namespace rf
