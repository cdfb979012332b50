#include "word_reader.hpp"

#include <array>
#include <cstring>

namespace rf {

namespace {

// The C locale's white space: blank, tab, line feed, vertical tab, form feed
// and carriage return, so CR LF line ends read like LF.
constexpr std::array<bool, 256> make_space_table() {
    std::array<bool, 256> table{};
    for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
        table[c] = true;
    }
    return table;
}
constexpr std::array<bool, 256> SPACE = make_space_table();

bool is_space(char c) noexcept { return SPACE[static_cast<unsigned char>(c)]; }

} // namespace

WordReader::WordReader(std::FILE* file) : file_(file), buffer_(BLOCK_SIZE) {}

// Keeps the unread bytes, moved to the front, and appends the next block;
// the buffer grows only when one word fills it whole.
bool WordReader::refill() {
    if (exhausted_) {
        return false;
    }
    const std::size_t kept = end_ - begin_;
    if (kept != 0 && begin_ != 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
    }
    begin_ = 0;
    end_ = kept;
    if (end_ == buffer_.size()) {
        buffer_.resize(buffer_.size() * 2);
    }
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    end_ += got;
    if (got == 0) {
        exhausted_ = true; // end of file or a read error: the input has ended
        return false;
    }
    return true;
}

bool WordReader::skip_space() {
    for (;;) {
        while (begin_ != end_ && is_space(buffer_[begin_])) {
            ++begin_;
        }
        if (begin_ != end_) {
            return true;
        }
        if (!refill()) {
            return false;
        }
    }
}

std::string_view WordReader::next_word() {
    if (!skip_space()) {
        return {};
    }
    std::size_t stop = begin_;
    for (;;) {
        while (stop != end_ && !is_space(buffer_[stop])) {
            ++stop;
        }
        if (stop != end_) {
            break;
        }
        const std::size_t scanned = stop - begin_;
        if (!refill()) {
            stop = end_; // the word ends with the input
            break;
        }
        stop = begin_ + scanned;
    }
    const std::string_view word(buffer_.data() + begin_, stop - begin_);
    begin_ = stop;
    return word;
}

bool WordReader::at_end() { return !skip_space(); }

std::string_view WordReader::upcoming() {
    if (!skip_space()) {
        return {};
    }
    if (end_ - begin_ < LOOKAHEAD) {
        refill();
    }
    return {buffer_.data() + begin_, end_ - begin_};
}

bool WordReader::is_word_end(const char* position) const noexcept {
    const char* data_end = buffer_.data() + end_;
    return position < data_end ? is_space(*position) : exhausted_;
}

} // namespace rf
