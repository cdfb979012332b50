// Every text the library and the programs report, defined once. The
// programs frame them their own way (rf_compare as its console has them,
// rf_pairs after "rf_pairs: "); the bindings raise them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "matrix_survey.hpp"
#include "rf_compare/error.hpp"
#include "rf_compare/misfit.hpp"
#include "rf_compare/tolerance.hpp"

namespace rf_compare::detail {

struct TreeVerdict;

inline constexpr std::string_view BAD_NUMBER_OF_OBJECTS = "Bad number of objects";
inline constexpr std::string_view BAD_MATRIX_NUMBER = "Bad matrix number";
inline constexpr std::string_view DATA_MATRIX_TOO_LARGE = "Data matrix is too large";
inline constexpr std::string_view NOT_ADDITIVE = "This is not an additive distance";
inline constexpr std::string_view INTERRUPTED = "interrupted";
// What runs out of memory while the trees are rebuilt and compared.
inline constexpr std::string_view REBUILDING_TREES = "rebuilding the trees";

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

// What is wrong with a matrix's entry, without its place: "is -0.005, a
// negative distance".
[[nodiscard]] std::string fault_text(const rf::MatrixFault& fault);

// Why a matrix without a fault was left out: "is not an additive
// distance", and with strict, how far it is from its tree.
[[nodiscard]] std::string not_additive_text(const TreeVerdict& verdict);

// "its tree's path lengths differ from it by up to 31 %".
[[nodiscard]] std::string misfit_text(const Misfit& misfit);

// The relative misfit as people read it: "31 %", "0.00012 %".
[[nodiscard]] std::string percent_text(double fraction);

// When some of the additive trees are far from their matrices: "3 of 100
// matrices are not tree metrics: their trees' path lengths differ from them
// by up to 31 % (matrix 17); such trees depend on the order of the leaves"
// (for one matrix alone: "the matrix is not a tree metric: ..."), and
// where a relative tolerance, tried, gave some of them other trees, "; the
// entries are so small that a relative tolerance may help"; else empty.
// Trees of neighbor joining, which do not depend on the order, are never
// warned of. Each caller adds how its users ask for neighbor joining.
[[nodiscard]] std::string misfit_warning(const std::vector<TreeVerdict>& verdicts);

// "not enough memory for WHAT".
[[nodiscard]] Error out_of_memory(std::string_view what);

} // namespace rf_compare::detail
