#include "text_window.hpp"

#include <algorithm>
#include <utility>

namespace rf {

TextWindow::TextWindow(InputFile file, std::size_t block_size) : file_(std::move(file)), buffer_(block_size) {}

bool TextWindow::read_more() {
    if (ended_) {
        return false;
    }
    end_ = buffer_.keep_unread(begin_, end_); // grows when a reader asks to see more at once than a block
    begin_ = 0;
    const std::size_t got = file_.read_some(buffer_.data() + end_, buffer_.size() - end_);
    end_ += got;
    ended_ = got == 0;
    return !ended_;
}

std::optional<std::string_view> TextWindow::line_at(std::size_t offset, std::size_t longest) {
    for (;;) {
        const std::string_view rest = text().substr(std::min(offset, text().size()));
        if (rest.empty() && ended_) {
            return std::nullopt;
        }
        const std::size_t end = rest.find('\n');
        if (end != std::string_view::npos) {
            return rest.substr(0, end);
        }
        if (ended_ || rest.size() > longest) {
            return rest.substr(0, std::min(rest.size(), longest + 1));
        }
        read_more();
    }
}

void TextWindow::consume(std::size_t bytes) noexcept {
    const char* first = buffer_.data() + begin_;
    line_ += std::count(first, first + bytes, '\n');
    begin_ += bytes;
}

} // namespace rf
