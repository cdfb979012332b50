// The engine on arbitrary finite matrices of 2 to 64 leaves, raw or derived
// from a random tree and then disturbed, with its invariants checked after
// every call.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_check.hpp"
#include "random_tree.hpp"
#include "rf_distance.hpp"
#include "tree_reconstruction.hpp"

namespace {

class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Mostly small multiples of 1/4 (ties, zeros, exact sums); sometimes any
    // finite double.
    double value() {
        const std::uint8_t kind = byte();
        if (kind < 0xF0) {
            return static_cast<double>(static_cast<int>(kind % 32) - 4) / 4.0;
        }
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = bits << 8 | byte();
        }
        double raw = 0;
        std::memcpy(&raw, &bits, sizeof raw);
        return std::isfinite(raw) ? raw : std::copysign(std::numeric_limits<double>::max(), raw);
    }
    [[nodiscard]] bool empty() const { return pos_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

rf::DistanceMatrix tree_matrix(ByteSource& bytes, std::int32_t n) {
    std::mt19937_64 rng(bytes.byte());
    const double shortest = bytes.byte() % 2 == 0 ? 0.0 : 1e-5;
    return rf::tools::path_length_matrix(rf::tools::make_random_tree(
        n, static_cast<rf::tools::TreeShape>(bytes.byte() % 3), rng, shortest, shortest + 0.001 * bytes.byte()));
}

// The diagonal and row and column 0 are never read: fill them with NaN.
rf::DistanceMatrix make_matrix(ByteSource& bytes, std::int32_t n) {
    const bool from_tree = (bytes.byte() & 1) != 0;
    rf::DistanceMatrix d = from_tree ? tree_matrix(bytes, n) : rf::DistanceMatrix(n);
    for (std::int32_t i = 0; i <= n; ++i) {
        for (std::int32_t j = 0; j <= n; ++j) {
            if (i == j || i == 0 || j == 0) {
                d.at(i, j) = std::numeric_limits<double>::quiet_NaN();
            } else if (from_tree) {
                const std::uint8_t disturb = bytes.byte();
                d.at(i, j) += disturb < 0xE0 ? 0.0 : bytes.value();
            } else {
                d.at(i, j) = bytes.value();
            }
        }
    }
    return d;
}

// The tree's clusters in the table and the list; 0 when not additive.
std::int32_t described(const rf::DistanceMatrix& matrix, rf::ClusterTable& table, rf::ClusterList& list) {
    const std::optional<rf::ClusterTree> tree = rf::rebuild_tree(matrix);
    return tree ? rf::describe_clusters(*tree, table, list) : 0;
}

void check_invariants(const rf::ClusterTable& table, const rf::ClusterList& list, std::int32_t count, std::int32_t n) {
    const std::int32_t capacity = 2 * n - 3;
    FUZZ_CHECK(count == 0 || (count >= 1 && count <= capacity));
    if (count == 0) {
        return;
    }
    std::vector<bool> seen(static_cast<std::size_t>(count) + 1, false);
    for (std::int32_t p = 1; p <= count; ++p) {
        const std::int32_t c = list[p];
        FUZZ_CHECK(c >= 1 && c <= count && !seen[static_cast<std::size_t>(c)]);
        seen[static_cast<std::size_t>(c)] = true;
        FUZZ_CHECK(!table.has_leaf(c, 0) && !table.has_leaf(c, 1));
        for (std::int32_t v = n + 1; v < static_cast<std::int32_t>(table.words_per_row()) * 64; ++v) {
            FUZZ_CHECK(!table.has_leaf(c, v));
        }
        if (p > 1) {
            FUZZ_CHECK(rf::compare_cluster_rows(table.row(list[p - 1]), table.row(c), table.words_per_row()) < 0);
        }
    }
    for (std::int32_t p = count + 1; p <= capacity; ++p) {
        FUZZ_CHECK(list[p] == 0);
    }
    FUZZ_CHECK(rf::rf_distance(table, table, list, list, count, count) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteSource bytes(data, size);
    const std::int32_t n = 2 + bytes.byte() % 63;
    const rf::DistanceMatrix first = make_matrix(bytes, n);
    const rf::DistanceMatrix second = make_matrix(bytes, n);
    rf::ClusterTable table_a(n);
    rf::ClusterTable table_b(n);
    rf::ClusterList list_a(n);
    rf::ClusterList list_b(n);
    const std::int32_t count_a = described(first, table_a, list_a);
    check_invariants(table_a, list_a, count_a, n);
    const std::int32_t count_b = described(second, table_b, list_b);
    check_invariants(table_b, list_b, count_b, n);
    if (count_a != 0 && count_b != 0) {
        const std::int32_t distance = rf::rf_distance(table_a, table_b, list_a, list_b, count_a, count_b);
        FUZZ_CHECK(distance >= 0 && distance <= count_a + count_b - 2 * (n > 2 ? n : 1));
        FUZZ_CHECK(distance == rf::rf_distance(table_b, table_a, list_b, list_a, count_b, count_a));
    }
    return 0;
}
