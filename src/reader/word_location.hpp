// Where a word of a file stands, found again by reading the file from its
// start: how the messages about the programs' own format name the line and
// the word, which the threaded reader does not keep. Only for files on disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rf {

struct WordLocation {
    std::int64_t line;  // counted from 1
    std::string word;   // its first 41 bytes; empty past the end of the file
};

// Word `index` (from 0) of the file, or the line of its last word when it
// has no more words; nothing when the file cannot be read again.
[[nodiscard]] std::optional<WordLocation> locate_word(const std::string& path, std::uint64_t index);

} // namespace rf
