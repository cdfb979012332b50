#include "platform.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace rf {

bool stdout_is_console() noexcept {
#ifdef _WIN32
    return GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR;
#else
    return isatty(STDOUT_FILENO) == 1;
#endif
}

} // namespace rf
