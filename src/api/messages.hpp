// Every text the library and the programs report, defined once. The
// programs frame them their own way (rf_compare as its console has them,
// rf_pairs after "rf_pairs: "); the bindings raise them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rf_compare/error.hpp"

namespace rf_compare::detail {

inline constexpr std::string_view BAD_NUMBER_OF_OBJECTS = "Bad number of objects";
inline constexpr std::string_view BAD_MATRIX_NUMBER = "Bad matrix number";
inline constexpr std::string_view DATA_MATRIX_TOO_LARGE = "Data matrix is too large";
inline constexpr std::string_view NOT_ADDITIVE = "This is not an additive distance";
inline constexpr std::string_view INTERRUPTED = "interrupted";

// "Bad entry in matrix J, row I, column K", counted from 1.
[[nodiscard]] std::string bad_entry_text(const ErrorPlace& place);

// Why the file NAME cannot be read, from the system's error number: "File
// NAME was not found", "File NAME is a folder", "File NAME cannot be read:
// REASON".
[[nodiscard]] Error cannot_open(const std::string& name, int system_error);

// "(rows, columns)", as Python writes a shape.
[[nodiscard]] std::string shape_text(std::int64_t rows, std::int64_t columns);

// What an error in a matrix given in memory is said of: "matrices[k]" for
// one of many, "matrices[k][i, j]" for one of its entries, "matrix" for a
// matrix given alone (place.matrix empty).
[[nodiscard]] std::string subject_text(const ErrorPlace& place);

// An Error about a matrix given in memory: its subject, then `detail`.
[[nodiscard]] Error matrix_error(ErrorKind kind, const ErrorPlace& place, const std::string& detail);

// "not enough memory for WHAT".
[[nodiscard]] Error out_of_memory(std::string_view what);

} // namespace rf_compare::detail
