// Splits the matrix file into white-space separated words, reading it in
// blocks as they arrive. A word or a run of words handed out stays valid
// until the next call. Memory stays bounded whatever the file holds: of a
// word longer than LONGEST_WORD only LONGEST_WORD + 1 bytes are handed out,
// which no reader takes for a number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include "byte_buffer.hpp"
#include "input_file.hpp"

namespace rf {

class WordReader {
public:
    // Reads the file in blocks of up to block_size bytes.
    WordReader(InputFile file, std::size_t block_size);

    // The next word, or an empty view once only white space remains.
    [[nodiscard]] std::string_view next_word();

    // True when nothing but white space remains.
    [[nodiscard]] bool at_end();

    // Every complete word that has arrived, from the next word up to the last
    // white space read (or to the end of the input once it has ended), so
    // that each word in it ends at white space or at the end. Waits for more
    // input only when no complete word has arrived yet; empty at the end of
    // the input; the first LONGEST_WORD + 1 bytes of a longer word. consume()
    // then takes the bytes that were used.
    [[nodiscard]] std::string_view complete_words();
    void consume(std::size_t bytes) noexcept { begin_ += bytes; }

    // The complete words read so far, as complete_words() gives them but
    // without reading more: empty when there are none.
    [[nodiscard]] std::string_view buffered_words() const noexcept;

    // Reads once more, moving none of the bytes read so far, so that views
    // handed out before stay valid: into the room at the end of the buffer
    // when there is some; else into a second buffer of `capacity` bytes,
    // the unread bytes copied to its front, which then takes the first
    // one's place. The first keeps its bytes until the next such change of
    // buffers (buffer_changes() tells them apart): views into it stay valid
    // till then. False at the end of the input, and when the unread bytes
    // alone fill `capacity`.
    bool read_ahead(std::size_t capacity);
    [[nodiscard]] std::uint64_t buffer_changes() const noexcept { return buffer_changes_; }
    [[nodiscard]] bool has_room() const noexcept { return end_ != buffer_.size(); }

private:
    bool skip_space();
    bool refill();

    bool read_into_room();

    InputFile file_;
    ByteBuffer buffer_;
    ByteBuffer spare_; // the buffer before, while read_ahead() keeps it
    std::uint64_t buffer_changes_ = 0;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0;   // one past the last byte read
    bool exhausted_ = false;
};

} // namespace rf
