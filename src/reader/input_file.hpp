// The matrix file as the reader sees it: an open file, pipe or device read
// in pieces of whatever size has arrived, closed when it goes out of scope.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace rf {

struct OpenedFile;

class InputFile {
public:
    // Opens an existing file for reading as bytes; a folder is not opened.
    [[nodiscard]] static OpenedFile open(const std::string& name);

    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Waits until some input has arrived, then reads what is there, up to
    // `size` bytes. 0 at the end of the input; a read error counts as the end.
    [[nodiscard]] std::size_t read_some(char* buffer, std::size_t size) noexcept;

    // A file on disk, whose reads never wait for another program to write,
    // unlike a pipe, a FIFO or a terminal.
    [[nodiscard]] bool is_regular_file() const noexcept { return regular_; }

private:
    InputFile(int descriptor, bool regular) noexcept : descriptor_(descriptor), regular_(regular) {}

    int descriptor_;
    bool regular_;
};

// An open file, or why there is none: the system's error number, EISDIR
// for a folder.
struct OpenedFile {
    std::optional<InputFile> file;
    int error = 0;
};

} // namespace rf
