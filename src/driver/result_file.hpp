// The result file: one line "%d \n" per compared matrix, each sent to the
// system as soon as it is written, so that whoever watches the file sees it
// and an interrupted run keeps it. A line that cannot be written whole is
// not kept: the file ends at the last complete line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "line_file.hpp"

namespace rf {

class ResultFile {
public:
    // Creates the file or empties an existing one; false when it cannot.
    [[nodiscard]] bool create(const std::string& name, WriteCall write = {});
    [[nodiscard]] bool is_open() const noexcept { return file_.has_value(); }

    // False when the line could not be written.
    [[nodiscard]] bool write_distance(std::int32_t distance);

    // Closes the file; false when a write since creation failed.
    [[nodiscard]] bool close();

private:
    std::optional<LineFile> file_;
};

} // namespace rf
