#include "word_reader.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "longest_word.hpp"
#include "white_space.hpp"

namespace rf {

WordReader::WordReader(InputFile file, std::size_t block_size) : file_(std::move(file)), buffer_(block_size) {}

// Keeps the unread bytes, moved to the front, and appends what has arrived;
// the buffer grows only when one word fills it whole.
bool WordReader::refill() {
    if (exhausted_) {
        return false;
    }
    end_ = buffer_.keep_unread(begin_, end_);
    begin_ = 0;
    return read_into_room();
}

bool WordReader::read_into_room() {
    const std::size_t got = file_.read_some(buffer_.data() + end_, buffer_.size() - end_);
    end_ += got;
    exhausted_ = got == 0;
    return !exhausted_;
}

std::string_view WordReader::buffered_words() const noexcept {
    std::size_t stop = end_;
    if (!exhausted_) { // the last word may go on in what is still to come
        while (stop != begin_ && !is_space(buffer_[stop - 1])) {
            --stop;
        }
    }
    return {buffer_.data() + begin_, stop - begin_};
}

bool WordReader::read_ahead(std::size_t capacity) {
    if (exhausted_) {
        return false;
    }
    if (end_ == buffer_.size()) {
        const std::size_t kept = end_ - begin_;
        if (kept >= capacity) {
            return false; // the words ahead are read where they are needed, in bounded memory
        }
        spare_.grow(capacity, 0);
        std::memcpy(spare_.data(), buffer_.data() + begin_, kept);
        swap(buffer_, spare_);
        begin_ = 0;
        end_ = kept;
        ++buffer_changes_;
    }
    return read_into_room();
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
        if (stop != end_ || stop - begin_ > LONGEST_WORD) {
            stop = std::min(stop, begin_ + LONGEST_WORD + 1);
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

std::string_view WordReader::complete_words() {
    if (!skip_space()) {
        return {};
    }
    std::size_t scanned = begin_; // no white space before this
    for (;;) {
        std::size_t stop = end_;
        while (stop != scanned && !is_space(buffer_[stop - 1])) {
            --stop;
        }
        if (stop != scanned) {
            return {buffer_.data() + begin_, stop - begin_};
        }
        if (end_ - begin_ > LONGEST_WORD) { // no number is this long: no need to see its end
            return {buffer_.data() + begin_, LONGEST_WORD + 1};
        }
        const std::size_t searched = end_ - begin_;
        if (!refill()) {
            return {buffer_.data() + begin_, end_ - begin_}; // the last word ends with the input
        }
        scanned = begin_ + searched;
    }
}

} // namespace rf
