#include "input_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace rf {

namespace {

#ifdef _WIN32
int open_for_reading(const char* name) { return ::_open(name, _O_RDONLY | _O_BINARY); }
int close_file(int descriptor) { return ::_close(descriptor); }
long long read_file(int descriptor, char* buffer, std::size_t size) {
    return ::_read(descriptor, buffer, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}
#else
int open_for_reading(const char* name) { return ::open(name, O_RDONLY | O_CLOEXEC); }
int close_file(int descriptor) { return ::close(descriptor); }
long long read_file(int descriptor, char* buffer, std::size_t size) {
    return ::read(descriptor, buffer, std::min<std::size_t>(size, SSIZE_MAX));
}
#endif

struct FileKind {
    bool folder;
    bool regular;
    std::size_t size;
};

// Windows refuses to open a folder; elsewhere it opens and reads as nothing.
FileKind kind_of(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return {false, false, 0};
    }
    const bool regular = S_ISREG(status.st_mode);
    return {S_ISDIR(status.st_mode), regular, regular && status.st_size > 0 ? static_cast<std::size_t>(status.st_size) : 0};
}

// Windows refuses to open a folder, with EACCES.
bool is_folder(const std::string& name) {
    struct stat status {};
    return ::stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

OpenedFile InputFile::open(const std::string& name) {
    if (name.find('\0') != std::string::npos) {
        return {std::nullopt, ENOENT}; // the system would open a shorter name than the one typed
    }
    const int descriptor = open_for_reading(name.c_str());
    if (descriptor < 0) {
        const int error = errno;
        return {std::nullopt, error == EACCES && is_folder(name) ? EISDIR : error};
    }
    const FileKind kind = kind_of(descriptor);
    InputFile file(descriptor, kind.regular);
    file.size_ = kind.size;
    if (kind.folder) {
        return {std::nullopt, EISDIR};
    }
    return {std::move(file), 0};
}

InputFile::InputFile(InputFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), regular_(other.regular_), size_(other.size_),
      given_back_(std::move(other.given_back_)), given_back_at_(other.given_back_at_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    std::swap(descriptor_, other.descriptor_);
    std::swap(regular_, other.regular_);
    std::swap(size_, other.size_);
    std::swap(given_back_, other.given_back_);
    std::swap(given_back_at_, other.given_back_at_);
    return *this;
}

InputFile::~InputFile() {
    if (descriptor_ >= 0) {
        close_file(descriptor_);
    }
}

std::size_t InputFile::read_some(char* buffer, std::size_t size) noexcept {
    if (given_back_at_ < given_back_.size()) {
        const std::size_t taken = std::min(size, given_back_.size() - given_back_at_);
        std::copy_n(given_back_.data() + given_back_at_, taken, buffer);
        given_back_at_ += taken;
        return taken;
    }
    for (;;) {
        const long long got = read_file(descriptor_, buffer, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

} // namespace rf
