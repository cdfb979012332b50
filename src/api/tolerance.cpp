#include "rf_compare/tolerance.hpp"

#include <cmath>
#include <string>
#include <system_error>

#include "number_parsing.hpp"
#include "rf_compare/error.hpp"
#include "short_decimal.hpp"

namespace rf_compare {

std::optional<Tolerance> tolerance_named(std::string_view word) noexcept {
    if (word == "absolute") {
        return Tolerance::absolute();
    }
    if (word == "relative") {
        return Tolerance::relative();
    }
    double zero = 0.0;
    const rf::ParseResult parsed = rf::parse_real(word.data(), word.data() + word.size(), zero);
    if (parsed.ec != std::errc{} || parsed.ptr != word.data() + word.size() || !(zero > 0.0) || !std::isfinite(zero)) {
        return std::nullopt;
    }
    return Tolerance::absolute(zero);
}

namespace {

Error no_tolerance(const std::string& given) {
    return {ErrorKind::bad_argument, "tolerance must be absolute, relative or a positive number, not " + given};
}

} // namespace

Tolerance tolerance_of(std::string_view word) {
    const std::optional<Tolerance> named = tolerance_named(word);
    if (!named) {
        throw no_tolerance("\"" + std::string(word) + "\"");
    }
    return *named;
}

Tolerance tolerance_of(double zero) {
    if (!(zero > 0.0) || !std::isfinite(zero)) {
        char number[rf::SHORT_DECIMAL_MAX_CHARS];
        throw no_tolerance(std::string(number, rf::write_short_decimal(number, zero)));
    }
    return Tolerance::absolute(zero);
}

} // namespace rf_compare
