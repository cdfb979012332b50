// The longest word a matrix file may hold: far longer than any number can
// usefully be (the 400-digit numbers of other programs read as before), and
// short enough that a file of one endless word (/dev/zero, a binary file)
// is refused at once, in bounded memory.
#pragma once

#include <cstddef>

namespace rf {

inline constexpr std::size_t LONGEST_WORD = 4096;

} // namespace rf
