// Whole lines or nothing: a write that fails after any number of bytes
// (a disk that fills up part way through) leaves the file ending at its
// last complete line, and nothing is written after it.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "line_file.hpp"
#include "run_binary.hpp"

namespace rf::testing {
namespace {

// The system's write, until `room` bytes have gone; then a full disk.
WriteCall filling_after(std::size_t room) {
    return [room, written = std::size_t{0}](int descriptor, const char* bytes, std::size_t size) mutable -> long long {
        if (written == room) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t now = std::min(size, std::min<std::size_t>(room - written, 5)); // a few bytes at a time
        const long long wrote = LineFile::system_write(descriptor, bytes, now);
        written += static_cast<std::size_t>(std::max<long long>(wrote, 0));
        return wrote;
    };
}

TEST(LineFile, AFailedWriteLeavesTheLastCompleteLine) {
    const std::string lines[] = {"12 \n", "7 \n", "a longer line of the table\n", "0 \n"};
    std::string all;
    for (const std::string& line : lines) {
        all += line;
    }
    const std::filesystem::path folder = fresh_folder();
    for (const std::size_t gathered : {std::size_t{0}, std::size_t{20}}) {
        for (std::size_t room = 0; room <= all.size(); ++room) {
            SCOPED_TRACE("room for " + std::to_string(room) + " bytes, gathering " + std::to_string(gathered));
            std::optional<LineFile> file = LineFile::create((folder / "out.txt").string(), filling_after(room));
            ASSERT_TRUE(file);
            file->gather_up_to(gathered);
            bool accepted = true;
            for (const std::string& line : lines) {
                accepted = accepted && file->write(line);
            }
            const bool closed = file->close();
            const std::string kept = read_file(folder / "out.txt");
            EXPECT_EQ(accepted && closed, room == all.size());
            EXPECT_TRUE(kept.empty() || kept.back() == '\n') << kept;
            EXPECT_TRUE(all.starts_with(kept));
            // What fitted whole before the failing write is kept.
            const std::size_t whole_lines_that_fit = all.substr(0, room).rfind('\n') + 1;
            EXPECT_LE(kept.size(), whole_lines_that_fit);
        }
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace rf::testing
