#include "engine_types.hpp"
#include "rf_compare/rf_compare.hpp"

namespace rf_compare {

const char* version() noexcept { return RF_VERSION; }

std::optional<Metric> metric_named(std::string_view name) noexcept {
    const std::optional<rf::Metric> metric = rf::metric_named(name);
    if (!metric) {
        return std::nullopt;
    }
    switch (*metric) {
    case rf::Metric::rf:
        return Metric::rf;
    case rf::Metric::wrf:
        return Metric::wrf;
    case rf::Metric::kf:
        return Metric::kf;
    }
    return std::nullopt;
}

} // namespace rf_compare
