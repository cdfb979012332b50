// SPDX-License-Identifier: MIT
#include "rf_compare/rebuild_method.hpp"

#include <array>
#include <string>

#include "rf_compare/error.hpp"

namespace rf_compare {

namespace {

constexpr std::array<RebuildMethod, 3> METHODS = {RebuildMethod::additive, RebuildMethod::nj, RebuildMethod::bionj};

} // namespace

std::string_view name_of(RebuildMethod method) noexcept {
    switch (method) {
    case RebuildMethod::nj:
        return "nj";
    case RebuildMethod::bionj:
        return "bionj";
    case RebuildMethod::additive:
        break;
    }
    return "additive";
}

std::optional<RebuildMethod> rebuild_method_named(std::string_view word) noexcept {
    for (const RebuildMethod method : METHODS) {
        if (word == name_of(method)) {
            return method;
        }
    }
    return std::nullopt;
}

RebuildMethod rebuild_method_of(std::string_view word) {
    const std::optional<RebuildMethod> method = rebuild_method_named(word);
    if (!method) {
        throw Error(ErrorKind::bad_argument, "method must be additive, nj or bionj, not \"" + std::string(word) + "\"");
    }
    return *method;
}

} // namespace rf_compare
