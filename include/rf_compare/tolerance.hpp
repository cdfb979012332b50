// How lengths near zero are judged when a tree is rebuilt: a branch point
// or edge length at or below `zero` is taken as zero (the branch point is
// merged into the node next to it), and an offset or leaf edge at or below
// `additivity_limit` makes the matrix not additive. The programs' own
// values are absolute (1e-5 and -0.01): right for lengths of about 0.01 to
// 1e10. Relative values scale with each matrix's largest entry, so that a
// matrix of any unit (per-site substitutions of 1e-6, distances of 1e12)
// gives the same tree up to that unit.
#pragma once

#include <optional>
#include <string_view>

namespace rf_compare {

struct Tolerance {
    enum class Scale { absolute, relative };
    Scale scale = Scale::absolute;
    double zero = 1e-5;
    double additivity_limit = -0.01;

    // `zero` as it is, and a limit a thousand times larger below zero, as
    // the programs' own values are.
    [[nodiscard]] static constexpr Tolerance absolute(double zero = 1e-5) noexcept {
        return {Scale::absolute, zero, -1000.0 * zero};
    }
    // The programs' values for a matrix whose largest entry is 1: 1e-5 and
    // -0.01 of each matrix's largest entry.
    [[nodiscard]] static constexpr Tolerance relative() noexcept { return {Scale::relative, 1e-5, -0.01}; }
};

// The tolerance named "absolute" or "relative", or an absolute one given
// as a positive decimal number ("1e-9"); nothing for anything else.
[[nodiscard]] std::optional<Tolerance> tolerance_named(std::string_view word) noexcept;

// The same for the bindings: throws Error (bad_argument) for any other word,
// or for a `zero` that is not a positive finite number.
[[nodiscard]] Tolerance tolerance_of(std::string_view word);
[[nodiscard]] Tolerance tolerance_of(double zero);

} // namespace rf_compare
