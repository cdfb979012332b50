#include "messages.hpp"

#include <cerrno>
#include <system_error>

namespace rf_compare::detail {

std::string bad_entry_text(const ErrorPlace& place) {
    return "Bad entry in matrix " + std::to_string(place.matrix.value_or(0) + 1) + ", row " +
           std::to_string(place.row.value_or(0) + 1) + ", column " + std::to_string(place.column.value_or(0) + 1);
}

Error cannot_open(const std::string& name, int system_error) {
    std::string text("File ");
    text.append(name);
    ErrorKind kind = ErrorKind::cannot_read;
    if (system_error == ENOENT || system_error == ENOTDIR) {
        kind = ErrorKind::file_not_found;
        text.append(" was not found");
    } else if (system_error == EISDIR) {
        text.append(" is a folder");
    } else {
        text.append(" cannot be read: ").append(std::generic_category().message(system_error));
    }
    return Error(kind, text).with_system_error(system_error);
}

// Appended piece by piece: GCC 12 warns falsely about "text" + std::string.
std::string shape_text(std::int64_t rows, std::int64_t columns) {
    std::string text("(");
    text.append(std::to_string(rows)).append(", ").append(std::to_string(columns)).append(")");
    return text;
}

std::string subject_text(const ErrorPlace& place) {
    std::string subject(place.matrix ? "matrices[" : "matrix");
    if (place.matrix) {
        subject.append(std::to_string(*place.matrix)).append("]");
    }
    if (place.row && place.column) {
        subject.append("[").append(std::to_string(*place.row)).append(", ").append(std::to_string(*place.column)).append("]");
    }
    return subject;
}

Error matrix_error(ErrorKind kind, const ErrorPlace& place, const std::string& detail) {
    const char* separator = detail.starts_with(":") ? "" : " ";
    return {kind, subject_text(place) + separator + detail, place, detail};
}

Error out_of_memory(std::string_view what) {
    return {ErrorKind::too_large, "not enough memory for " + std::string(what)};
}

} // namespace rf_compare::detail
