// A text file written a whole line at a time, so that no file is ever left
// ending in part of a line: when a write fails (a full disk, a closed
// pipe), a regular file is cut back to its last complete line, nothing more
// is written, and the failure is reported at once. Lines end with a line
// feed, which Windows stores as CR LF, as text files do there.
//
// Thread-safety: one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rf {

// Writes up to `size` bytes to the descriptor and returns how many it
// wrote, or -1 with errno set: the system's write, or a test's.
using WriteCall = std::function<long long(int descriptor, const char* bytes, std::size_t size)>;

class LineFile {
public:
    // Creates the file or empties an existing one; nothing when it cannot
    // (errno says why).
    [[nodiscard]] static std::optional<LineFile> create(const std::string& name, WriteCall write = {});

    // Standard output as it is: a file, a pipe or a terminal. Left open.
    [[nodiscard]] static LineFile standard_output(WriteCall write = {});

    LineFile(LineFile&& other) noexcept;
    LineFile& operator=(LineFile&& other) noexcept;
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;
    ~LineFile();

    // Lines are gathered up to this many bytes before they go to the
    // system; 0 (the start) sends every write at once.
    void gather_up_to(std::size_t bytes) { gather_ = bytes; }

    // Whole lines, each ending in a line feed. False once a write has failed.
    [[nodiscard]] bool write(std::string_view lines);

    // Sends what is gathered; false once a write has failed.
    [[nodiscard]] bool flush();

    // Flushes and lets go of the file; false once a write has failed.
    [[nodiscard]] bool close();

    // The system's write, which tests wrap.
    static long long system_write(int descriptor, const char* bytes, std::size_t size);

private:
    LineFile(int descriptor, bool owned, WriteCall write) noexcept;
    bool send(std::string_view bytes);
    void cut_back(std::string_view written);

    int descriptor_;
    bool owned_;
    bool failed_ = false;
    std::optional<std::int64_t> complete_end_; // where the last complete line ends, for a file that can be cut
    std::string gathered_;
    std::size_t gather_ = 0;
    WriteCall write_;
};

} // namespace rf
