// SPDX-License-Identifier: MIT
#include "leaf_symmetry.hpp"

#include <algorithm>
#include <bit>
#include <utility>

#include "cancellation.hpp"

namespace rf {

namespace {

constexpr int MOST_ROUNDS = 16;
// Leaves between two questions whether to stop: a few milliseconds.
constexpr std::int32_t LEAVES_BETWEEN_STOPS = 64;

// A 64-bit mix with every bit of the input reaching every bit of the output.
std::uint64_t mixed(std::uint64_t x) noexcept {
    x ^= x >> 30U;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27U;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31U;
    return x;
}

std::size_t count_classes(std::vector<std::uint64_t> colours) {
    std::sort(colours.begin(), colours.end());
    return static_cast<std::size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

} // namespace

std::vector<std::int64_t> leaf_ranks(const DistanceMatrix& matrix, const std::function<bool()>& stop) {
    const std::int32_t n = matrix.leaf_count();
    const auto count = static_cast<std::size_t>(n);
    std::vector<std::uint64_t> colour(count, 0);
    std::vector<std::uint64_t> next(count, 0);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> seen(count > 0 ? count - 1 : 0);
    std::size_t classes = 1;
    for (int round = 0; round < MOST_ROUNDS && classes < count; ++round) {
        for (std::int32_t v = 1; v <= n; ++v) {
            if (v % LEAVES_BETWEEN_STOPS == 0 && stop && stop()) {
                throw Cancelled();
            }
            std::size_t k = 0;
            for (std::int32_t w = 1; w <= n; ++w) {
                if (w != v) {
                    const double d = (matrix.at(v, w) + matrix.at(w, v)) / 2.0 + 0.0; // -0 as 0
                    seen[k++] = {std::bit_cast<std::uint64_t>(d), colour[static_cast<std::size_t>(w) - 1]};
                }
            }
            std::sort(seen.begin(), seen.end());
            std::uint64_t h = mixed(colour[static_cast<std::size_t>(v) - 1] + 0x9e3779b97f4a7c15ULL);
            for (const auto& [distance, other] : seen) {
                h = mixed(h ^ distance) + other;
            }
            next[static_cast<std::size_t>(v) - 1] = h;
        }
        colour.swap(next);
        const std::size_t now = count_classes(colour);
        if (now == classes) {
            break; // a class splits only when its members' colours do: none did
        }
        classes = now;
    }
    std::vector<std::uint64_t> sorted = colour;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::int64_t> rank(count);
    for (std::size_t v = 0; v < count; ++v) {
        rank[v] = std::lower_bound(sorted.begin(), sorted.end(), colour[v]) - sorted.begin();
    }
    return rank;
}

} // namespace rf
