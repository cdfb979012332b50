// What a MatrixReader holds: the one matrix source, which a TreeSet also
// reads from directly.
#pragma once

#include "matrix_source.hpp"
#include "rf_compare/matrix_reader.hpp"

namespace rf_compare {

struct MatrixReader::State {
    State(std::vector<std::string> paths, detail::SourceOptions options, const rf::ReaderSettings& reading)
        : source(std::move(paths), std::move(options), reading) {}
    detail::MatrixSource source;
};

} // namespace rf_compare
