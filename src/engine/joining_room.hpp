// SPDX-License-Identifier: MIT
// Room for neighbor joining's matrices, kept from one matrix to the next so
// that their pages are had (and faulted in) once: each array grows to the
// largest that was asked for, and what it held is not kept.
//
// Thread-safety: one user at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "heap_array.hpp"

namespace rf {

class JoiningRoom {
public:
    // At least `cells` elements each; throws std::bad_alloc.
    [[nodiscard]] double* distances(std::size_t cells) { return at_least(distances_, distance_cells_, cells); }
    [[nodiscard]] std::int32_t* lists(std::size_t cells) { return at_least(lists_, list_cells_, cells); }
    [[nodiscard]] double* variances(std::size_t cells) { return at_least(variances_, variance_cells_, cells); }

private:
    template <typename T>
    static T* at_least(HeapArray<T>& array, std::size_t& size, std::size_t cells) {
        if (size < cells) {
            array.reset(); // the old block goes before the new one is had
            size = 0;
            array = allocate_array<T>(cells, false);
            size = cells;
        }
        return array.get();
    }

    HeapArray<double> distances_;
    std::size_t distance_cells_ = 0;
    HeapArray<std::int32_t> lists_;
    std::size_t list_cells_ = 0;
    HeapArray<double> variances_;
    std::size_t variance_cells_ = 0;
};

} // namespace rf
