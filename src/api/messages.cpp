#include "messages.hpp"

#include "judged_tree.hpp"

#include <cerrno>
#include <charconv>
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

std::string fault_text(const rf::MatrixFault& fault) {
    const auto number = [](double value) {
        char text[32];
        const char* end = std::to_chars(text, text + sizeof text, value).ptr;
        return std::string(text, static_cast<std::size_t>(end - text));
    };
    switch (fault.kind) {
    case rf::MatrixFault::Kind::negative:
        return "is " + number(fault.value) + ", a negative distance";
    case rf::MatrixFault::Kind::too_large:
        return "is " + number(fault.value) + ": sums of entries this large overflow";
    case rf::MatrixFault::Kind::asymmetric:
        break;
    }
    return "is " + number(fault.value) + " and its mirror image " + number(fault.mirror) +
           ": the matrix is not symmetric (beyond 1e-4 of its largest entry)";
}

std::string percent_text(double fraction) {
    const double percent = 100.0 * fraction;
    char text[400]; // room for any double written in full
    // Whole percents from 10 % up ("31 %", "250 %"), two digits below ("1.5 %", "0.00012 %").
    const char* end = percent >= 10.0 ? std::to_chars(text, text + sizeof text, percent, std::chars_format::fixed, 0).ptr
                                      : std::to_chars(text, text + sizeof text, percent, std::chars_format::general, 2).ptr;
    return std::string(text, static_cast<std::size_t>(end - text)) + " %";
}

std::string misfit_text(const Misfit& misfit) {
    return "its tree's path lengths differ from it by up to " + percent_text(misfit.relative);
}

std::string not_additive_text(const TreeVerdict& verdict) {
    std::string text("is not an additive distance");
    if (verdict.misfit.relative > TREE_METRIC_MISFIT) { // left out by strict
        text.append(": ").append(misfit_text(verdict.misfit)).append(" (strict)");
    }
    return text;
}

std::string misfit_warning(const std::vector<TreeVerdict>& verdicts) {
    std::size_t beyond = 0;
    std::size_t worst = 0;
    bool relative_differs = false;
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
        const TreeVerdict& verdict = verdicts[k];
        if (verdict.rebuilt && verdict.depends_on_leaf_order && verdict.misfit.relative > TREE_METRIC_MISFIT) {
            worst = beyond == 0 || verdict.misfit.relative > verdicts[worst].misfit.relative ? k : worst;
            ++beyond;
            relative_differs = relative_differs || verdict.relative_tolerance_differs;
        }
    }
    if (beyond == 0) {
        return {};
    }
    const std::string by_how_much = percent_text(verdicts[worst].misfit.relative);
    std::string text;
    if (verdicts.size() == 1) {
        text = "the matrix is not a tree metric: its tree's path lengths differ from it by up to " + by_how_much +
               "; such a tree depends on the order of the leaves";
    } else if (beyond == 1) {
        text = "1 of " + std::to_string(verdicts.size()) +
               " matrices is not a tree metric: its tree's path lengths differ from it by up to " + by_how_much +
               " (matrix " + std::to_string(worst + 1) + "); such a tree depends on the order of the leaves";
    } else {
        text = std::to_string(beyond) + " of " + std::to_string(verdicts.size()) +
               " matrices are not tree metrics: their trees' path lengths differ from them by up to " + by_how_much +
               " (matrix " + std::to_string(worst + 1) + "); such trees depend on the order of the leaves";
    }
    if (relative_differs) {
        text += "; the entries are so small that a relative tolerance may help";
    }
    return text;
}

Error out_of_memory(std::string_view what) {
    return {ErrorKind::too_large, "not enough memory for " + std::string(what)};
}

} // namespace rf_compare::detail
