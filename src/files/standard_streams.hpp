// Standard input, output and error as a program starts: where one of them
// is closed, the next file the program opens would take its descriptor,
// and text meant for the console would land in that file.
#pragma once

namespace rf {

// Which of the standard streams were closed when the program started.
struct ClosedAtStart {
    bool input = false;
    bool output = false;
    bool errors = false;
};

// Opens the null device on each of descriptors 0, 1 and 2 that is closed,
// and tells which were: what was meant for a closed standard output went
// nowhere, which a program whose product is its standard output reports.
// On Windows nothing is opened and none is reported closed: writing to a
// closed stream fails there by itself.
[[nodiscard]] ClosedAtStart keep_standard_streams_open() noexcept;

} // namespace rf
