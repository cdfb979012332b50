#include "heap_array.hpp"

namespace rf {

std::size_t checked_product(std::size_t a, std::size_t b) {
    if (a != 0 && b > SIZE_MAX / a) {
        throw std::bad_array_new_length();
    }
    return a * b;
}

} // namespace rf
