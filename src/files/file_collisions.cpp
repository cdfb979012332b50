// SPDX-License-Identifier: MIT
#include "file_collisions.hpp"

#include "file_identity.hpp"

namespace rf {

namespace {

using Places = std::vector<std::optional<FilePlace>>;

Places places_of(const std::vector<std::string>& names) {
    Places places;
    places.reserve(names.size());
    for (const std::string& name : names) {
        places.push_back(place_of_name(name));
    }
    return places;
}

// Writing over a file that is read loses what it holds: only files that
// keep what is written count.
bool overwrites(const std::optional<FilePlace>& output, const std::optional<FilePlace>& input) {
    return output && input && output->is_same_as(*input) && output->kind == FileKind::data;
}

// Two outputs mix their lines in a file or a pipe, or on a terminal.
bool mix(const std::optional<FilePlace>& a, const std::optional<FilePlace>& b) {
    return a && b && a->is_same_as(*b) && (a->kind != FileKind::other || b->kind != FileKind::other);
}

std::optional<std::size_t> first_overwritten(const std::optional<FilePlace>& output, const Places& inputs) {
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        if (overwrites(output, inputs[k])) {
            return k;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Collision> first_collision(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
                                         int table) {
    const Places input_places = places_of(inputs);
    const Places output_places = places_of(outputs);
    const std::optional<FilePlace> table_place = place_of_descriptor(table);
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        if (const std::optional<std::size_t> input = first_overwritten(output_places[k], input_places)) {
            return Collision{Collision::Kind::output_is_input, k, *input};
        }
    }
    if (const std::optional<std::size_t> input = first_overwritten(table_place, input_places)) {
        return Collision{Collision::Kind::table_is_input, 0, *input};
    }
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        if (mix(output_places[k], table_place)) {
            return Collision{Collision::Kind::output_is_table, k, 0};
        }
    }
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        for (std::size_t j = 0; j < k; ++j) {
            if (mix(output_places[k], output_places[j])) {
                return Collision{Collision::Kind::outputs_one_file, k, j};
            }
        }
    }
    return std::nullopt;
}

} // namespace rf
