// SPDX-License-Identifier: MIT
#include "leaf_names_file.hpp"

#include <array>
#include <optional>

#include "input_file.hpp"
#include "leaf_names.hpp"
#include "longest_word.hpp"
#include "messages.hpp"

namespace rf_compare::detail {

namespace {

// Gathers the file's lines into names, checking each bound as it goes.
class NameLines {
public:
    NameLines(const std::string& path, std::int32_t leaf_count)
        : path_(path), leaf_count_(static_cast<std::size_t>(leaf_count)) {}

    void take(const char* bytes, std::size_t size) {
        for (std::size_t k = 0; k < size; ++k) {
            if (bytes[k] == '\n') {
                end_line();
            } else if (line_.size() == rf::LONGEST_WORD) {
                throw bad_file(", line " + std::to_string(line_number_) + ": a name longer than " +
                               std::to_string(rf::LONGEST_WORD) + " bytes");
            } else {
                line_.push_back(bytes[k]);
            }
        }
    }

    std::vector<std::string> finish() {
        end_line();
        if (names_.empty()) {
            throw bad_file(" holds no leaf names");
        }
        if (names_.size() < leaf_count_) {
            throw bad_file(" holds " + std::to_string(names_.size()) + " leaf names for " + std::to_string(leaf_count_) +
                           " leaves");
        }
        try {
            static_cast<void>(LeafNames().order_of(names_));
        } catch (const LeafNames::Mismatch& mismatch) {
            throw bad_file(" " + mismatch.what);
        }
        return std::move(names_);
    }

private:
    [[nodiscard]] Error bad_file(const std::string& what) const { return {ErrorKind::bad_input, "File " + path_ + what}; }

    void end_line() {
        if (!line_.empty() && line_.back() == '\r') {
            line_.pop_back();
        }
        if (line_.find_first_not_of(" \t") != std::string::npos) {
            if (names_.size() == leaf_count_) {
                throw bad_file(" holds more than " + std::to_string(leaf_count_) + " leaf names for " +
                               std::to_string(leaf_count_) + " leaves");
            }
            names_.push_back(line_);
        }
        line_.clear();
        ++line_number_;
    }

    const std::string& path_;
    std::size_t leaf_count_;
    std::vector<std::string> names_;
    std::string line_;
    std::int64_t line_number_ = 1;
};

} // namespace

std::vector<std::string> read_leaf_names_file(const std::string& path, std::int32_t leaf_count) {
    rf::OpenedFile opened = rf::InputFile::open(path);
    if (!opened.file) {
        throw cannot_open(path, opened.error);
    }
    NameLines lines(path, leaf_count);
    std::array<char, 1 << 16> buffer{};
    for (std::size_t got = opened.file->read_some(buffer.data(), buffer.size()); got > 0;
         got = opened.file->read_some(buffer.data(), buffer.size())) {
        lines.take(buffer.data(), got);
    }
    return lines.finish();
}

} // namespace rf_compare::detail
