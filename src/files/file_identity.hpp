// Which file a name or an open stream leads to, however it was
// reached (another spelling, ./, a symbolic or a hard link): device and
// inode on POSIX, volume serial number and file index on Windows. How the
// programs refuse to write over the matrix file they read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rf {

struct FileIdentity {
    std::uint64_t volume;
    std::uint64_t index;
    bool operator==(const FileIdentity&) const = default;
};

// Nothing when the name leads to no file that can be looked at.
[[nodiscard]] std::optional<FileIdentity> identity_of_file(const std::string& name);

// The file an open descriptor writes to; nothing unless it is a regular
// file, the only kind a run could write over while reading it.
[[nodiscard]] std::optional<FileIdentity> identity_of_descriptor(int descriptor);

// True when both names lead to one existing file.
[[nodiscard]] bool is_same_file(const std::string& a, const std::string& b);

} // namespace rf
