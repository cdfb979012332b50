// What a MatrixReader holds: the one matrix source, which a TreeSet also
// reads from directly.
#pragma once

#include "matrix_source.hpp"
#include "rf_compare/matrix_reader.hpp"

namespace rf_compare {

struct MatrixReader::State {
    State(const std::string& path, std::optional<std::int64_t> count, const rf::ReaderSettings& reading)
        : source(path, count, reading) {}
    detail::MatrixSource source;
};

} // namespace rf_compare
