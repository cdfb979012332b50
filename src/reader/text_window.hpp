// A file's text read in blocks, for the readers of formats with lines and
// names (PHYLIP, CSV): the unread part is in view, a reader asks for more
// as it needs it, and the lines it consumes are counted, so that every
// message can name its line. It holds no more than a reader asks to see at
// once, whatever the file holds.
//
// Thread-safety: one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "byte_buffer.hpp"
#include "input_file.hpp"

namespace rf {

class TextWindow {
public:
    TextWindow(InputFile file, std::size_t block_size);

    // The bytes read and not yet consumed.
    [[nodiscard]] std::string_view text() const noexcept {
        return {buffer_.data() + begin_, end_ - begin_};
    }

    // Reads what has arrived, keeping the unread bytes; false at the end of
    // the input (a read error counts as the end).
    bool read_more();
    [[nodiscard]] bool ended() const noexcept { return ended_; }

    // Takes bytes from the front of text(), counting their line feeds.
    void consume(std::size_t bytes) noexcept;
    // The same for a caller that has counted the line feeds.
    void consume(std::size_t bytes, std::int64_t line_feeds) noexcept {
        begin_ += bytes;
        line_ += line_feeds;
    }

    // The line of the first unread byte, counted from 1.
    [[nodiscard]] std::int64_t line() const noexcept { return line_; }

    // The line that starts `offset` bytes into text(), up to its line feed
    // (left out), read whole into view and valid until the next read;
    // nothing past the end of the input. Of a line longer than `longest`
    // bytes only longest + 1 are read.
    [[nodiscard]] std::optional<std::string_view> line_at(std::size_t offset, std::size_t longest);

private:
    InputFile file_;
    ByteBuffer buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::int64_t line_ = 1;
    bool ended_ = false;
};

} // namespace rf
