// Counting the words of a run of text without converting them: how a piece
// of a block learns where its first word stands in the matrix, and where
// one matrix's words end and the next one's begin.
#pragma once

#include <cstddef>

namespace rf {

// The number of white-space separated words in [first, last), the byte
// before first taken as white space. Sixteen bytes at a time where the
// processor allows.
[[nodiscard]] std::size_t count_words(const char* first, const char* last) noexcept;

// Where word number `index` (from 0) of [first, last) starts, the byte
// before first taken as white space; `last` when there are no more words
// than `index`.
[[nodiscard]] const char* find_word(const char* first, const char* last, std::size_t index) noexcept;

} // namespace rf
