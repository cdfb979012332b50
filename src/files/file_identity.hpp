// Which file a name or an open stream leads to, however it was reached
// (another spelling, ./, a/../, a symbolic or a hard link): device and
// inode on POSIX, volume serial number and file index on Windows. A name
// that leads to no file yet leads to the place where writing would create
// one: its folder and its name there, a symbolic link to a file not yet
// made followed to that file's place. How the programs refuse to write
// over a file they read, or to write two outputs into one file.
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

// True when both names lead to one existing file.
[[nodiscard]] bool is_same_file(const std::string& a, const std::string& b);

// What writing to a file would do to what else it holds or shows.
enum class FileKind {
    data,     // keeps what is written: a regular file (or one not yet made), a pipe, a block device
    terminal, // shows it beside whatever else is written there
    other,    // neither: a folder, /dev/null, another device
};

// Where a name leads: an existing file, or a name not yet taken in an
// existing folder.
struct FilePlace {
    FileIdentity file;    // the file, or the folder the new file would be made in
    std::string new_name; // empty for an existing file; else its name in that folder
    FileKind kind;

    // The same file, or the same name not yet taken in the same folder.
    [[nodiscard]] bool is_same_as(const FilePlace& other) const noexcept {
        return file == other.file && new_name == other.new_name;
    }
};

// Nothing when it cannot be told: a folder on the way missing or
// unreadable, a loop of links. Opening such a name fails with its own
// message.
[[nodiscard]] std::optional<FilePlace> place_of_name(const std::string& name);

// Where an open descriptor leads; nothing when it is closed or cannot be
// told (on Windows, anything but a file on disk).
[[nodiscard]] std::optional<FilePlace> place_of_descriptor(int descriptor);

} // namespace rf
