// SPDX-License-Identifier: MIT
// The leaves' names of matrices whose format has none, given in a file of
// their own (rf_pairs --leaf-names): one name per line, blank lines left
// out, a line's CR LF end taken as its end. The file must hold exactly one
// name per leaf, each once, none longer than a word may be, none with a
// control character; whatever is wrong is one line that names the file.
//
// Thread-safety: none needed; each call reads its own file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rf_compare::detail {

// The names of the file `path`, for matrices of `leaf_count` leaves. Reads
// no more than leaf_count + 1 names and holds no line longer than a name
// may be, so an endless file ends at once. Throws Error: file_not_found or
// cannot_read (see cannot_open), bad_input for a file that is not such a
// list.
[[nodiscard]] std::vector<std::string> read_leaf_names_file(const std::string& path, std::int32_t leaf_count);

} // namespace rf_compare::detail
