// SPDX-License-Identifier: MIT
// The files of one run checked against each other before anything is
// opened for writing: no output may be an input (it would be emptied
// before it is read, or read while it is written), and no two outputs,
// standard output among them, may be one file (their lines would be
// mixed). Files are compared by where their names lead (see
// file_identity.hpp), so that no spelling or link hides one; a file that
// writing does not change (/dev/null, a folder) collides with nothing, and
// a terminal only with another output.
//
// Thread-safety: none needed; it only looks at the file system.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace rf {

struct Collision {
    enum class Kind {
        output_is_input,  // outputs[output] is inputs[other]
        table_is_input,   // standard output is inputs[other]
        output_is_table,  // outputs[output] is standard output
        outputs_one_file, // outputs[output] is outputs[other], an earlier one
    };
    Kind kind;
    std::size_t output = 0;
    std::size_t other = 0;
};

// The first collision, in this order: each output against every input,
// standard output (`table`, a descriptor) against every input, each output
// against standard output, each output against every earlier output.
// Nothing when the files are all apart.
[[nodiscard]] std::optional<Collision> first_collision(const std::vector<std::string>& inputs,
                                                       const std::vector<std::string>& outputs, int table);

} // namespace rf
