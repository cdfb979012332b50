// The result file: one line "%d \n" per compared matrix, written as text so
// that each line end is stored the platform's way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "file_handle.hpp"

namespace rf {

class ResultFile {
public:
    // Creates the file or empties an existing one; false when it cannot.
    [[nodiscard]] bool create(const std::string& name);
    [[nodiscard]] bool is_open() const noexcept { return file_ != nullptr; }

    void write_distance(std::int32_t distance);

    // Flushes and closes; false when any write since creation failed.
    [[nodiscard]] bool close();

private:
    FileHandle file_;
};

} // namespace rf
