// Counting the words of a run of text without converting them: how a piece
// of a block learns where its first word stands in the matrix.
#pragma once

#include <cstddef>

namespace rf {

// The number of white-space separated words in [first, last), the byte
// before first taken as white space. Sixteen bytes at a time where the
// processor allows.
[[nodiscard]] std::size_t count_words(const char* first, const char* last) noexcept;

} // namespace rf
