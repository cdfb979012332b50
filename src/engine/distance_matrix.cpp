#include "distance_matrix.hpp"

namespace rf {

DistanceMatrix::DistanceMatrix(std::int32_t leaf_count)
    : leaf_count_(leaf_count),
      stride_(static_cast<std::size_t>(leaf_count) + 1),
      cells_(allocate_array<double>(checked_product(stride_, stride_), false)) {}

} // namespace rf
