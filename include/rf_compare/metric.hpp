// How two trees are compared, over every split (edge) of either tree, a and
// b its lengths in the two trees (0 in a tree that lacks it), the leaves'
// own edges included:
//   rf   Robinson-Foulds: the number of splits found in one tree only;
//   wrf  weighted Robinson-Foulds: the sum of |a - b|;
//   kf   Kuhner and Felsenstein's branch score: the square root of the sum
//        of (a - b)^2.
#pragma once

#include <optional>
#include <string_view>

namespace rf_compare {

enum class Metric { rf, wrf, kf };

// The metric named "rf", "wrf" or "kf"; nothing for any other name.
[[nodiscard]] constexpr std::optional<Metric> metric_named(std::string_view name) noexcept {
    if (name == "rf") {
        return Metric::rf;
    }
    if (name == "wrf") {
        return Metric::wrf;
    }
    if (name == "kf") {
        return Metric::kf;
    }
    return std::nullopt;
}

} // namespace rf_compare
