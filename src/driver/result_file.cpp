#include "result_file.hpp"

namespace rf {

bool ResultFile::create(const std::string& name) {
    if (name.find('\0') != std::string::npos) {
        return false; // the C library would open a shorter name than the one typed
    }
    file_.reset(std::fopen(name.c_str(), "w"));
    return file_ != nullptr;
}

void ResultFile::write_distance(std::int32_t distance) {
    // Each line goes to the system at once, so that whoever watches the file
    // sees it, and an interrupted run keeps it. A failed write sets the
    // stream's error flag, which close() reports.
    std::fprintf(file_.get(), "%d \n", static_cast<int>(distance));
    std::fflush(file_.get());
}

bool ResultFile::close() {
    if (!file_) {
        return true;
    }
    std::FILE* file = file_.release();
    const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    return flushed && closed;
}

} // namespace rf
