#include "file_identity.hpp"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace rf {

namespace {

#ifdef _WIN32
std::optional<FileIdentity> identity_of_handle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || GetFileInformationByHandle(handle, &information) == 0) {
        return std::nullopt;
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
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    LookingHandle(const LookingHandle&) = delete;
    LookingHandle& operator=(const LookingHandle&) = delete;
    ~LookingHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }
    [[nodiscard]] HANDLE get() const noexcept { return handle_; }

private:
    HANDLE handle_;
};
#else
FileIdentity identity_of_status(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
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

std::optional<FileIdentity> identity_of_descriptor(int descriptor) {
#ifdef _WIN32
    const auto output = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (output == INVALID_HANDLE_VALUE || GetFileType(output) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    return identity_of_handle(output);
#else
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return identity_of_status(status);
#endif
}

bool is_same_file(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = identity_of_file(a);
    return first && first == identity_of_file(b);
}

} // namespace rf
