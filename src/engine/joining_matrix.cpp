// SPDX-License-Identifier: MIT
#include "joining_matrix.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>

namespace rf {

namespace {

// Rows handed to a member of the team at a time.
constexpr std::size_t ROWS_PER_PIECE = 16;
// Fewer nodes than this are searched faster than the team wakes.
constexpr std::int32_t NODES_WORTH_SHARING = 600;
constexpr double JOINED = -std::numeric_limits<double>::infinity();
// Matrices are copied in tiles of this many rows and columns, so that the
// entries read down a column stay in the cache.
constexpr std::int32_t TILE = 64;

// A number of 128 bits in two words, modulo 2^128: two's complement gives
// negative ones.
struct Wide {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    void add(Wide other) noexcept {
        low += other.low;
        high += other.high + (low < other.low ? 1U : 0U);
    }
    [[nodiscard]] Wide negated() const noexcept {
        Wide result{~high, ~low};
        result.add({0, 1});
        return result;
    }
    [[nodiscard]] bool negative() const noexcept { return (high >> 63U) != 0; }
};

} // namespace

// Each value, scaled so that the largest magnitude is below 2^(63 - L) with
// 2^L above the count, becomes a whole number of 128 bits (its bits below
// 2^-64 of that unit dropped, the same whatever the order); whole numbers
// add up exactly, in any order, without overflow.
double sum_in_any_order(std::span<const double> values) {
    double largest = 0.0;
    for (const double v : values) {
        largest = std::max(largest, std::fabs(v));
    }
    if (largest == 0.0) {
        return 0.0;
    }
    int top = 0;
    static_cast<void>(std::frexp(largest, &top)); // every |v| < 2^top
    int headroom = 2;                              // the sign, and rounding up at the top
    while ((std::size_t{1} << static_cast<unsigned>(std::min(headroom, 62))) <= values.size() && headroom < 62) {
        ++headroom;
    }
    const int shift = 63 - headroom - top; // |v| 2^shift < 2^(63 - headroom)
    Wide total;
    for (const double v : values) {
        const double scaled = std::ldexp(std::fabs(v), shift);
        const double whole = std::floor(scaled);
        Wide part{static_cast<std::uint64_t>(whole), static_cast<std::uint64_t>(std::ldexp(scaled - whole, 64))};
        total.add(v < 0.0 ? part.negated() : part);
    }
    const bool negative = total.negative();
    const Wide magnitude = negative ? total.negated() : total;
    const double sum = std::ldexp(static_cast<double>(magnitude.high), -shift) +
                       std::ldexp(static_cast<double>(magnitude.low), -shift - 64);
    return negative ? -sum : sum;
}

// One member's search: the least Q it has seen, and its pairs.
struct JoiningMatrix::Found {
    double q = std::numeric_limits<double>::max();
    std::vector<Pair> pairs;
};

JoiningMatrix::JoiningMatrix(const DistanceMatrix& matrix)
    : leaf_count_(matrix.leaf_count()), stride_(static_cast<std::size_t>(leaf_count_)),
      rows_(allocate_array<double>(checked_product(stride_, stride_), false)),
      list_distance_(allocate_array<double>(checked_product(stride_, stride_), false)),
      list_node_(allocate_array<std::int32_t>(checked_product(stride_, stride_), false)),
      list_begin_(stride_, 0), list_end_(stride_, 0), node_(stride_), slot_of_(2 * stride_, -1),
      sum_of_node_(2 * stride_, JOINED), live_(stride_), next_node_(leaf_count_) {
    const std::int32_t n = leaf_count_;
    for (std::int32_t top = 0; top < n; top += TILE) {
        for (std::int32_t left = 0; left <= top; left += TILE) {
            for (std::int32_t s = top; s < std::min(top + TILE, n); ++s) {
                double* const own = rows_.get() + index(s) * stride_;
                for (std::int32_t t = left; t < std::min({left + TILE, n, s}); ++t) {
                    // The mean, the same in either order; +0.0 turns a -0 into 0.
                    const double d = (matrix.at(s + 1, t + 1) + matrix.at(t + 1, s + 1)) / 2.0 + 0.0;
                    own[t] = d;
                    rows_[index(t) * stride_ + index(s)] = d;
                }
            }
        }
    }
    for (std::int32_t s = 0; s < n; ++s) {
        rows_[index(s) * stride_ + index(s)] = 0.0;
        node_[index(s)] = s;
        slot_of_[index(s)] = s;
        live_[index(s)] = s;
    }
    for (std::int32_t s = 0; s < n; ++s) {
        sum_of_node_[index(s)] = sum_in_any_order({row(s), stride_});
        sort_list(s, std::span<const std::int32_t>(live_).first(index(s)));
    }
}

void JoiningMatrix::sort_list(std::int32_t slot, std::span<const std::int32_t> older) {
    const double* const own = row(slot);
    sort_scratch_.clear();
    for (const std::int32_t t : older) {
        sort_scratch_.emplace_back(own[t], node_[index(t)]);
    }
    std::sort(sort_scratch_.begin(), sort_scratch_.end());
    double* const distances = list_distance_.get() + index(slot) * stride_;
    std::int32_t* const nodes = list_node_.get() + index(slot) * stride_;
    for (std::size_t p = 0; p < sort_scratch_.size(); ++p) {
        distances[p] = sort_scratch_[p].first;
        nodes[p] = sort_scratch_[p].second;
    }
    list_begin_[index(slot)] = 0;
    list_end_[index(slot)] = static_cast<std::int32_t>(sort_scratch_.size());
}

bool JoiningMatrix::before(Pair x, Pair y, std::span<const std::int64_t> ranks) const noexcept {
    const double distance_x = row(x.a)[x.b];
    const double distance_y = row(y.a)[y.b];
    if (distance_x != distance_y) {
        return distance_x < distance_y;
    }
    const auto ranked = [&](Pair pair) {
        const std::int64_t a = ranks[index(node(pair.a))];
        const std::int64_t b = ranks[index(node(pair.b))];
        return std::array<std::int64_t, 4>{std::min(a, b), std::max(a, b), pair.a, pair.b};
    };
    return ranked(x) < ranked(y);
}

JoiningMatrix::Pair JoiningMatrix::least_of(std::span<const Pair> pairs, std::span<const std::int64_t> ranks) const {
    Pair least = pairs.front();
    for (const Pair pair : pairs.subspan(1)) {
        least = before(pair, least, ranks) ? pair : least;
    }
    return least;
}

// Reads a row's list from the start: first its nearest node (which often
// has the least Q of all, and so bounds the rest well), then on while the
// bound allows, dropping from the part read the nodes joined since.
class JoiningMatrix::RowSearch {
public:
    RowSearch(JoiningMatrix& matrix, double largest_sum, Found& found, std::span<const std::int64_t> ranks)
        : m_(matrix), factor_(static_cast<double>(matrix.left() - 2)), largest_sum_(largest_sum), found_(found),
          ranks_(ranks) {}

    void nearest(std::int32_t slot) {
        const std::size_t base = index(slot) * m_.stride_;
        std::int32_t& begin = m_.list_begin_[index(slot)];
        const std::int32_t end = m_.list_end_[index(slot)];
        while (begin < end && m_.sum_of_node_[index(m_.list_node_[base + index(begin)])] == JOINED) {
            ++begin;
        }
        if (begin < end) {
            const std::int32_t other = m_.list_node_[base + index(begin)];
            consider(factor_ * m_.list_distance_[base + index(begin)] - (m_.sum(slot) + m_.sum_of_node_[index(other)]),
                     slot, other);
        }
    }

    void rest(std::int32_t slot) {
        const std::size_t base = index(slot) * m_.stride_;
        const double* const distances = m_.list_distance_.get() + base;
        std::int32_t* const nodes = m_.list_node_.get() + base;
        const std::int32_t begin = m_.list_begin_[index(slot)];
        const std::int32_t end = m_.list_end_[index(slot)];
        const double own = m_.sum(slot);
        const double bound_sums = own + largest_sum_;
        std::int32_t p = begin + 1;
        std::int32_t joined = 0;
        for (; p < end; ++p) {
            const double scaled = factor_ * distances[p];
            if (scaled - bound_sums > found_.q) {
                break;
            }
            const double other_sum = m_.sum_of_node_[index(nodes[p])];
            joined += other_sum == JOINED ? 1 : 0;
            const double q = scaled - (own + other_sum);
            if (q <= found_.q) {
                consider(q, slot, nodes[p]);
            }
        }
        if (joined != 0) {
            drop_joined(slot, begin + 1, p);
        }
    }

private:
    void consider(double q, std::int32_t slot, std::int32_t other) {
        const std::int32_t other_slot = m_.slot_of_[index(other)];
        const Pair pair{std::min(slot, other_slot), std::max(slot, other_slot)};
        if (q < found_.q) {
            found_.q = q;
            found_.pairs.assign(1, pair);
        } else if (q == found_.q) {
            if (ranks_.empty()) {
                found_.pairs.push_back(pair);
            } else if (m_.before(pair, found_.pairs.front(), ranks_)) {
                found_.pairs.front() = pair;
            }
        }
    }

    // Entries [from, to) of a row's list with those of joined nodes left
    // out, kept in order at the end of that range.
    void drop_joined(std::int32_t slot, std::int32_t from, std::int32_t to) {
        const std::size_t base = index(slot) * m_.stride_;
        double* const distances = m_.list_distance_.get() + base;
        std::int32_t* const nodes = m_.list_node_.get() + base;
        std::int32_t kept = to;
        for (std::int32_t p = to; p-- > from;) {
            if (m_.sum_of_node_[index(nodes[p])] != JOINED) {
                --kept;
                distances[kept] = distances[p];
                nodes[kept] = nodes[p];
            }
        }
        // The nearest entry, already read, stays first.
        const std::int32_t first = m_.list_begin_[index(slot)];
        distances[kept - 1] = distances[first];
        nodes[kept - 1] = nodes[first];
        m_.list_begin_[index(slot)] = kept - 1;
    }

    JoiningMatrix& m_;
    double factor_;
    double largest_sum_;
    Found& found_;
    std::span<const std::int64_t> ranks_;
};

void JoiningMatrix::search_rows(std::span<const std::int32_t> slots, double largest_sum, Found& found,
                                std::span<const std::int64_t> ranks) {
    RowSearch search(*this, largest_sum, found, ranks);
    for (const std::int32_t slot : slots) {
        search.nearest(slot);
    }
    for (const std::int32_t slot : slots) {
        if (list_begin_[index(slot)] < list_end_[index(slot)]) {
            search.rest(slot);
        }
    }
}

std::vector<JoiningMatrix::Pair> JoiningMatrix::least_q(ThreadTeam* team, std::span<const std::int64_t> ranks) {
    double largest_sum = JOINED;
    for (const std::int32_t slot : live_) {
        largest_sum = std::max(largest_sum, sum(slot));
    }
    const bool shared = team != nullptr && team->size() > 1 && left() >= NODES_WORTH_SHARING;
    std::vector<Found> found(shared ? team->size() : 1);
    if (shared) {
        std::atomic<std::size_t> next{0};
        auto job = [&](std::size_t member) noexcept {
            for (std::size_t first = next.fetch_add(ROWS_PER_PIECE); first < live_.size();
                 first = next.fetch_add(ROWS_PER_PIECE)) {
                search_rows(std::span<const std::int32_t>(live_).subspan(first, std::min(ROWS_PER_PIECE, live_.size() - first)),
                            largest_sum, found[member], ranks);
            }
        };
        team->run(job);
    } else {
        search_rows(live_, largest_sum, found.front(), ranks);
    }
    Found& least = *std::min_element(found.begin(), found.end(),
                                     [](const Found& x, const Found& y) { return x.q < y.q; });
    std::vector<Pair> pairs;
    for (Found& member : found) {
        if (member.q == least.q) {
            pairs.insert(pairs.end(), member.pairs.begin(), member.pairs.end());
        }
    }
    if (!ranks.empty() && pairs.size() > 1) {
        pairs.assign(1, least_of(pairs, ranks));
    }
    return pairs;
}

std::int32_t JoiningMatrix::join(Pair pair, std::span<const double> distances) {
    const std::int32_t a = pair.a;
    const std::int32_t b = pair.b;
    const std::int32_t joined_a = node(a);
    const std::int32_t joined_b = node(b);
    live_.erase(std::find(live_.begin(), live_.end(), b));
    double* const row_a = rows_.get() + index(a) * stride_;
    const double* const row_b = row(b);
    for (const std::int32_t k : live_) {
        if (k != a) {
            double& s = sum_of_node_[index(node(k))];
            s = (s - (row_a[k] + row_b[k])) + distances[index(k)];
        }
    }
    sum_of_node_[index(joined_a)] = JOINED;
    sum_of_node_[index(joined_b)] = JOINED;
    slot_of_[index(joined_a)] = -1;
    slot_of_[index(joined_b)] = -1;
    const std::int32_t u = next_node_++;
    node_[index(a)] = u;
    slot_of_[index(u)] = a;
    std::vector<double>& others = scratch_values_;
    others.clear();
    std::vector<std::int32_t>& older = scratch_slots_;
    older.clear();
    for (const std::int32_t k : live_) {
        if (k != a) {
            row_a[k] = distances[index(k)];
            rows_[index(k) * stride_ + index(a)] = distances[index(k)];
            others.push_back(distances[index(k)]);
            older.push_back(k);
        }
    }
    sum_of_node_[index(u)] = sum_in_any_order(others);
    sort_list(a, older);
    return u;
}

} // namespace rf
