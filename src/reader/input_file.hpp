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

    // Bytes read and given back: the next reads give them first. How a
    // file's format is recognised from its start, pipes included.
    void give_back(std::string bytes) { given_back_ = std::move(bytes) + given_back_.substr(given_back_at_); given_back_at_ = 0; }

    // A file on disk, whose reads never wait for another program to write,
    // unlike a pipe, a FIFO or a terminal.
    [[nodiscard]] bool is_regular_file() const noexcept { return regular_; }

    // A file on disk's size when it was opened; 0 for anything else.
    [[nodiscard]] std::size_t size_when_opened() const noexcept { return size_; }

private:
    InputFile(int descriptor, bool regular) noexcept : descriptor_(descriptor), regular_(regular) {}

    int descriptor_;
    bool regular_;
    std::size_t size_ = 0;
    std::string given_back_;
    std::size_t given_back_at_ = 0;
};

// An open file, or why there is none: the system's error number, EISDIR
// for a folder.
struct OpenedFile {
    std::optional<InputFile> file;
    int error = 0;
};

} // namespace rf
