#include "line_file.hpp"

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
int create_file(const char* name) {
    return ::_open(name, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, _S_IREAD | _S_IWRITE);
}
int close_file(int descriptor) { return ::_close(descriptor); }
long long write_some(int descriptor, const char* bytes, std::size_t size) {
    return ::_write(descriptor, bytes, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}
std::int64_t position_of(int descriptor) { return ::_lseeki64(descriptor, 0, SEEK_CUR); }
bool cut_at(int descriptor, std::int64_t size) {
    return ::_chsize_s(descriptor, size) == 0 && ::_lseeki64(descriptor, size, SEEK_SET) == size;
}
constexpr int STANDARD_OUTPUT = 1;
#else
int create_file(const char* name) { return ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); }
int close_file(int descriptor) { return ::close(descriptor); }
long long write_some(int descriptor, const char* bytes, std::size_t size) {
    return ::write(descriptor, bytes, std::min<std::size_t>(size, SSIZE_MAX));
}
std::int64_t position_of(int descriptor) { return ::lseek(descriptor, 0, SEEK_CUR); }
bool cut_at(int descriptor, std::int64_t size) {
    return ::ftruncate(descriptor, size) == 0 && ::lseek(descriptor, size, SEEK_SET) == size;
}
constexpr int STANDARD_OUTPUT = STDOUT_FILENO;
#endif

bool is_regular_file(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && (status.st_mode & S_IFMT) == S_IFREG;
}

} // namespace

long long LineFile::system_write(int descriptor, const char* bytes, std::size_t size) {
    return write_some(descriptor, bytes, size);
}

LineFile::LineFile(int descriptor, bool owned, WriteCall write) noexcept
    : descriptor_(descriptor), owned_(owned), write_(write ? std::move(write) : WriteCall(system_write)) {
    if (is_regular_file(descriptor)) {
        const std::int64_t position = position_of(descriptor);
        if (position >= 0) {
            complete_end_ = position;
        }
    }
}

std::optional<LineFile> LineFile::create(const std::string& name, WriteCall write) {
    if (name.find('\0') != std::string::npos) {
        errno = EINVAL; // the system would open a shorter name than the one given
        return std::nullopt;
    }
    const int descriptor = create_file(name.c_str());
    if (descriptor < 0) {
        return std::nullopt;
    }
    return LineFile(descriptor, true, std::move(write));
}

LineFile LineFile::standard_output(WriteCall write) { return {STANDARD_OUTPUT, false, std::move(write)}; }

LineFile::LineFile(LineFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), owned_(std::exchange(other.owned_, false)),
      failed_(other.failed_), complete_end_(other.complete_end_), gathered_(std::move(other.gathered_)),
      gather_(other.gather_), write_(std::move(other.write_)) {}

LineFile& LineFile::operator=(LineFile&& other) noexcept {
    std::swap(descriptor_, other.descriptor_);
    std::swap(owned_, other.owned_);
    std::swap(failed_, other.failed_);
    std::swap(complete_end_, other.complete_end_);
    std::swap(gathered_, other.gathered_);
    std::swap(gather_, other.gather_);
    std::swap(write_, other.write_);
    return *this;
}

LineFile::~LineFile() { static_cast<void>(close()); }

bool LineFile::write(std::string_view lines) {
    if (failed_) {
        return false;
    }
    if (gather_ == 0) {
        return send(lines);
    }
    gathered_ += lines;
    return gathered_.size() < gather_ || flush();
}

bool LineFile::flush() {
    if (failed_ || gathered_.empty()) {
        return !failed_;
    }
    const bool sent = send(gathered_);
    gathered_.clear();
    return sent;
}

bool LineFile::close() {
    const bool flushed = descriptor_ < 0 || flush();
    if (owned_ && descriptor_ >= 0 && close_file(descriptor_) != 0) {
        failed_ = true;
    }
    descriptor_ = -1;
    owned_ = false;
    return flushed && !failed_;
}

bool LineFile::send(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long long wrote = write_(descriptor_, bytes.data() + done, bytes.size() - done);
        if (wrote > 0) {
            done += static_cast<std::size_t>(wrote);
        } else if (wrote < 0 && errno == EINTR) {
            continue;
        } else {
            failed_ = true;
            cut_back(bytes.substr(0, done));
            return false;
        }
    }
    if (complete_end_) {
        complete_end_ = position_of(descriptor_);
    }
    return true;
}

// The part of a line that did get written goes again: the file ends at the
// last line end written.
void LineFile::cut_back(std::string_view written) {
    if (!complete_end_ || *complete_end_ < 0) {
        return;
    }
    const std::size_t line_end = written.rfind('\n');
    const std::string_view whole = line_end == std::string_view::npos ? std::string_view() : written.substr(0, line_end + 1);
    std::int64_t size = *complete_end_ + static_cast<std::int64_t>(whole.size());
#ifdef _WIN32
    size += static_cast<std::int64_t>(std::count(whole.begin(), whole.end(), '\n')); // each stored as CR LF
#endif
    static_cast<void>(cut_at(descriptor_, size));
}

} // namespace rf
