// What the library throws: rf_compare::Error and nothing else. Running out
// of memory is an Error of kind too_large, and the library's threads are
// only ever a way to go faster, so no std::bad_alloc or std::system_error
// reaches the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace rf_compare {

enum class ErrorKind {
    file_not_found, // a file that is not there: "File NAME was not found"
    cannot_read,    // a file that is there but cannot be read: a folder, no permission
    bad_input,      // a file that is not as it should be, with the programs' texts
    bad_argument,   // a matrix or an argument that cannot be used
    not_additive,   // a matrix whose tree cannot be rebuilt
    too_large,      // memory ran out
    cancelled,      // the caller's interruption check asked to stop
};

// Where an error was found, each part counted from 0; what is not known is
// left empty. `matrix` is the matrix's place among those given or read.
struct ErrorPlace {
    std::optional<std::size_t> matrix;
    std::optional<std::int64_t> row;
    std::optional<std::int64_t> column;
};

class Error : public std::runtime_error {
public:
    // `what` is the whole message; `detail` what was found, without the
    // place, for callers that name places their own way (R counts from 1).
    Error(ErrorKind kind, const std::string& what, ErrorPlace place = {}, std::string detail = {})
        : std::runtime_error(what), kind_(kind), place_(place), detail_(detail.empty() ? what : std::move(detail)) {}

    [[nodiscard]] ErrorKind kind() const noexcept { return kind_; }
    [[nodiscard]] const ErrorPlace& place() const noexcept { return place_; }
    [[nodiscard]] const std::string& detail() const noexcept { return detail_; }

    // For file_not_found and cannot_read: the system's error number (errno),
    // EISDIR for a folder.
    [[nodiscard]] int system_error() const noexcept { return system_error_; }
    Error& with_system_error(int number) noexcept {
        system_error_ = number;
        return *this;
    }

private:
    ErrorKind kind_;
    ErrorPlace place_;
    std::string detail_;
    int system_error_ = 0;
};

} // namespace rf_compare
