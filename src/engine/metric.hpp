// How two trees are compared: one Metric for the engine and the library's
// users alike.
#pragma once

#include "rf_compare/metric.hpp"

namespace rf {

using rf_compare::Metric;
using rf_compare::metric_named;

} // namespace rf
