// The result file: one line "%d \n" per compared matrix, written as text so
// that each line end is stored the platform's way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

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
    struct Closer {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

} // namespace rf
