// Splits a file into white-space separated words, reading it in blocks.
// Words may be of any length; a word is valid until the next call.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

namespace rf {

class WordReader {
public:
    // Blocks of a few hundred KiB: larger ones only touch more fresh memory.
    static constexpr std::size_t BLOCK_SIZE = std::size_t{256} * 1024;

    // Reads from an open file that the caller owns and keeps open.
    explicit WordReader(std::FILE* file);

    // The next word, or an empty view once only white space remains. A read
    // error counts as the end of the input.
    [[nodiscard]] std::string_view next_word();

    // True when nothing but white space remains.
    [[nodiscard]] bool at_end();

    // For converting in place: the unread bytes from the start of the next
    // word on, holding the whole word whenever it is shorter than LOOKAHEAD
    // bytes; empty at the end of the input. Then is_word_end() tells whether
    // a conversion stopped exactly at the word's end, and skip() consumes.
    static constexpr std::size_t LOOKAHEAD = 4096;
    [[nodiscard]] std::string_view upcoming();
    [[nodiscard]] bool is_word_end(const char* position) const noexcept;
    void skip(std::size_t bytes) noexcept { begin_ += bytes; }

private:
    bool skip_space();
    bool refill();

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0;   // one past the last byte read
    bool exhausted_ = false;
};

} // namespace rf
