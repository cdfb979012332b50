#include "file_identity.hpp"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <vector>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rf {

namespace {

#ifdef _WIN32
std::optional<FileIdentity> identity_of_handle(HANDLE handle, bool* folder = nullptr) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || GetFileInformationByHandle(handle, &information) == 0) {
        return std::nullopt;
    }
    if (folder != nullptr) {
        *folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return FileIdentity{information.dwVolumeSerialNumber,
                        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

// A handle that only looks: no access asked, every kind of sharing allowed,
// folders too.
class LookingHandle {
public:
    explicit LookingHandle(const std::string& name)
        : handle_(CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)),
          error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : 0) {}
    LookingHandle(const LookingHandle&) = delete;
    LookingHandle& operator=(const LookingHandle&) = delete;
    ~LookingHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    [[nodiscard]] HANDLE get() const noexcept { return handle_; }
    [[nodiscard]] DWORD error() const noexcept { return error_; }

private:
    HANDLE handle_;
    DWORD error_;
};

// Files on disk only: a pipe or a console has no identity to compare.
std::optional<FilePlace> place_of_handle(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || GetFileType(handle) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    bool folder = false;
    const std::optional<FileIdentity> identity = identity_of_handle(handle, &folder);
    if (!identity) {
        return std::nullopt;
    }
    return FilePlace{*identity, {}, folder ? FileKind::other : FileKind::data};
}

// A name not yet taken: its folder and its name there, which Windows
// compares without case. The system itself resolves . and .. by the
// letters, as GetFullPathName does.
std::optional<FilePlace> place_of_new_name(const std::string& name) {
    const DWORD size = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<char> full(size + 1);
    char* leaf = nullptr;
    const DWORD written = GetFullPathNameA(name.c_str(), static_cast<DWORD>(full.size()), full.data(), &leaf);
    if (written == 0 || written >= full.size() || leaf == nullptr || *leaf == '\0') {
        return std::nullopt;
    }
    std::string new_name(leaf);
    std::transform(new_name.begin(), new_name.end(), new_name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    const LookingHandle folder(std::string(full.data(), leaf));
    bool is_folder = false;
    const std::optional<FileIdentity> identity = identity_of_handle(folder.get(), &is_folder);
    if (!identity || !is_folder) {
        return std::nullopt;
    }
    return FilePlace{*identity, std::move(new_name), FileKind::data};
}
#else
FileIdentity identity_of_status(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

FileKind kind_of(mode_t mode) {
    return S_ISREG(mode) || S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISBLK(mode) ? FileKind::data : FileKind::other;
}

// As many links as the system itself follows before it gives up (ELOOP).
constexpr int LINKS_FOLLOWED = 40;

// Where a symbolic link leads, read whole; nothing when it cannot be read.
std::optional<std::string> link_target(const std::string& link, off_t size) {
    std::string target(static_cast<std::size_t>(size > 0 ? size : 4096) + 1, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
        return std::nullopt;
    }
    target.resize(static_cast<std::size_t>(length));
    return target;
}

// The folder a name is in, as the system would reach it: "a/.." stays
// "a/..", which the system resolves through whatever a is.
std::string folder_of(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : name.substr(0, slash);
}

// A name not yet taken in an existing folder.
std::optional<FilePlace> place_of_new_name(const std::string& name) {
    if (name.back() == '/') {
        return std::nullopt; // only a folder could be named so
    }
    struct stat folder {};
    if (::stat(folder_of(name).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
        return std::nullopt;
    }
    return FilePlace{identity_of_status(folder), name.substr(name.rfind('/') + 1), FileKind::data};
}
#endif

} // namespace

std::optional<FileIdentity> identity_of_file(const std::string& name) {
    if (name.find('\0') != std::string::npos) {
        return std::nullopt; // the system would look at a shorter name
    }
#ifdef _WIN32
    const LookingHandle handle(name);
    return identity_of_handle(handle.get());
#else
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return identity_of_status(status);
#endif
}

bool is_same_file(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = identity_of_file(a);
    return first && first == identity_of_file(b);
}

std::optional<FilePlace> place_of_name(const std::string& name) {
    if (name.empty() || name.find('\0') != std::string::npos) {
        return std::nullopt; // the system would look at a shorter name, or at none
    }
#ifdef _WIN32
    const LookingHandle handle(name);
    if (handle.get() != INVALID_HANDLE_VALUE) {
        return place_of_handle(handle.get());
    }
    return handle.error() == ERROR_FILE_NOT_FOUND ? place_of_new_name(name) : std::nullopt;
#else
    std::string path = name;
    for (int followed = 0; followed <= LINKS_FOLLOWED; ++followed) {
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0) {
            return FilePlace{identity_of_status(status), {}, kind_of(status.st_mode)};
        }
        if (errno != ENOENT) {
            return std::nullopt;
        }
        // Nothing there: a name not yet taken, or a link to a file not yet
        // made, which writing through the link would create.
        if (::lstat(path.c_str(), &status) != 0) {
            return errno == ENOENT ? place_of_new_name(path) : std::nullopt;
        }
        const std::optional<std::string> target = S_ISLNK(status.st_mode) ? link_target(path, status.st_size) : std::nullopt;
        if (!target) {
            return std::nullopt;
        }
        path = target->front() == '/' ? *target : folder_of(path) + "/" + *target;
    }
    return std::nullopt;
#endif
}

std::optional<FilePlace> place_of_descriptor(int descriptor) {
#ifdef _WIN32
    return place_of_handle(reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)));
#else
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return std::nullopt;
    }
    const FileKind kind = S_ISCHR(status.st_mode) && ::isatty(descriptor) == 1 ? FileKind::terminal : kind_of(status.st_mode);
    return FilePlace{identity_of_status(status), {}, kind};
#endif
}

} // namespace rf
