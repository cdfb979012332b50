#include "result_file.hpp"

#include <charconv>

namespace rf {

bool ResultFile::create(const std::string& name, WriteCall write) {
    file_ = LineFile::create(name, std::move(write));
    return file_.has_value();
}

bool ResultFile::write_distance(std::int32_t distance) {
    char line[16];
    char* end = std::to_chars(line, line + sizeof line, distance).ptr;
    *end++ = ' ';
    *end++ = '\n';
    return file_->write({line, static_cast<std::size_t>(end - line)});
}

bool ResultFile::close() {
    if (!file_) {
        return true;
    }
    const bool closed = file_->close();
    file_.reset();
    return closed;
}

} // namespace rf
