// Standard input, output and error as a program starts: where one of them
// is closed, the next file the program opens would take its descriptor,
// and text meant for the console would land in that file.
#pragma once

namespace rf {

// Opens the null device on each of descriptors 0, 1 and 2 that is closed.
void keep_standard_streams_open() noexcept;

} // namespace rf
