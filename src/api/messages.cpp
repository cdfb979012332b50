#include "messages.hpp"

namespace rf_compare::detail {

std::string bad_entry_text(const ErrorPlace& place) {
    return "Bad entry in matrix " + std::to_string(place.matrix.value_or(0) + 1) + ", row " +
           std::to_string(place.row.value_or(0) + 1) + ", column " + std::to_string(place.column.value_or(0) + 1);
}

std::string file_not_found_text(const std::string& name) { return "File " + name + " was not found"; }

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
