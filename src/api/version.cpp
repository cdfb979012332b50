#include "rf_compare/version.hpp"

namespace rf_compare {

const char* version() noexcept { return RF_COMPARE_VERSION; }

} // namespace rf_compare
