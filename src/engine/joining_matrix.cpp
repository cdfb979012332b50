// SPDX-License-Identifier: MIT
#include "joining_matrix.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>

#include "cancellation.hpp"

namespace rf {

namespace {

// Rows handed to a member of the team at a time.
constexpr std::size_t ROWS_PER_PIECE = 16;
// Fewer nodes than this are searched faster than the team wakes.
constexpr std::int32_t NODES_WORTH_SHARING = 600;
// Matrices are copied in tiles of this many rows and columns, so that the
// entries read down a column stay in the cache.
constexpr std::int32_t TILE = 64;
// Rows sorted between two questions whether to stop: a few milliseconds.
constexpr std::int32_t ROWS_BETWEEN_STOPS = 64;
// Shorter lists are sorted by comparison.
constexpr std::size_t RADIX_SORT_FROM = 96;

// A distance rounded down to single precision: never above it, and never
// above that of a larger distance.
float lower_key(double d) noexcept {
    float key = static_cast<float>(d);
    if (static_cast<double>(key) > d) {
        key = std::nextafter(key, -std::numeric_limits<float>::infinity());
    }
    return key;
}

// The bits of a float, in the order of the floats as whole numbers.
std::uint32_t ordered_bits(float key) noexcept {
    const auto bits = std::bit_cast<std::uint32_t>(key);
    return (bits & 0x80000000U) != 0 ? ~bits : (bits | 0x80000000U);
}

// Sorts by the upper 32 bits (their lower 32 may end in any order): a byte
// at a time from the lowest, each pass stable, through `spare` (as long).
void sort_by_key(std::span<std::uint64_t> keyed, std::span<std::uint64_t> spare) {
    if (keyed.size() < RADIX_SORT_FROM) {
        std::sort(keyed.begin(), keyed.end());
        return;
    }
    std::span<std::uint64_t> from = keyed;
    std::span<std::uint64_t> to = spare;
    for (unsigned shift = 32; shift < 64; shift += 8) {
        std::array<std::size_t, 257> start{};
        for (const std::uint64_t k : from) {
            ++start[((k >> shift) & 0xFFU) + 1];
        }
        for (std::size_t b = 1; b < start.size(); ++b) {
            start[b] += start[b - 1];
        }
        for (const std::uint64_t k : from) {
            to[start[(k >> shift) & 0xFFU]++] = k;
        }
        std::swap(from, to);
    }
    // Four passes: the sorted keys are back in `keyed`.
}

} // namespace

// Each value, scaled so that every magnitude is below 2^(63 - L), 2^L above
// the count, becomes a whole number of that unit and a whole number of
// 2^-(63 - L) of it, the bits below that dropped: the same whatever the
// order. Whole numbers add up exactly in any order, and neither sum can
// overflow; the two sums are then rounded in one fixed way.
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
    int headroom = 1;
    while (headroom < 62 && (std::uint64_t{1} << static_cast<unsigned>(headroom)) <= values.size()) {
        ++headroom;
    }
    const int bits = 63 - headroom;
    const int shift = bits - top; // |v| 2^shift < 2^bits
    // Powers of two multiply exactly; one that a double cannot hold is
    // applied by ldexp, entry by entry.
    const bool by_factor = shift > -1000 && shift < 1000;
    const double factor = by_factor ? std::ldexp(1.0, shift) : 1.0;
    const double below = std::ldexp(1.0, bits);
    std::int64_t whole_total = 0;
    std::int64_t fraction_total = 0;
    for (const double v : values) {
        const double scaled = by_factor ? v * factor : std::ldexp(v, shift);
        const double whole = std::trunc(scaled);
        whole_total += static_cast<std::int64_t>(whole);
        fraction_total += static_cast<std::int64_t>((scaled - whole) * below);
    }
    return std::ldexp(static_cast<double>(whole_total), -shift) +
           std::ldexp(static_cast<double>(fraction_total), -shift - bits);
}

// One member's search: the least Q it has seen, and its pairs.
struct JoiningMatrix::Found {
    double q = std::numeric_limits<double>::max();
    std::vector<Pair> pairs;
};

JoiningMatrix::JoiningMatrix(const DistanceMatrix& matrix, JoiningRoom& room, const std::function<bool()>& stop)
    : leaf_count_(matrix.leaf_count()), stride_(static_cast<std::size_t>(leaf_count_)),
      rows_(room.distances(checked_product(stride_, stride_))), list_(room.lists(checked_product(stride_, stride_))),
      list_begin_(stride_, 0),
      list_end_(stride_, 0), node_(stride_), state_(2 * stride_), live_(stride_), next_node_(leaf_count_) {
    const std::int32_t n = leaf_count_;
    for (std::int32_t top = 0; top < n; top += TILE) {
        for (std::int32_t left = 0; left <= top; left += TILE) {
            for (std::int32_t s = top; s < std::min(top + TILE, n); ++s) {
                double* const own = rows_ + index(s) * stride_;
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
        live_[index(s)] = s;
        state_[index(s)] = {sum_in_any_order({row(s), stride_}), s};
    }
    for (std::int32_t s = 0; s < n; ++s) {
        if (s % ROWS_BETWEEN_STOPS == 0 && stop && stop()) {
            throw Cancelled();
        }
        sort_list(s, std::span<const std::int32_t>(live_).first(index(s)));
    }
}

void JoiningMatrix::sort_list(std::int32_t slot, std::span<const std::int32_t> older) {
    const double* const own = row(slot);
    const std::size_t count = older.size();
    sort_scratch_.resize(2 * count);
    const std::span<std::uint64_t> keyed(sort_scratch_.data(), count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t t = older[k];
        keyed[k] = (std::uint64_t{ordered_bits(lower_key(own[t]))} << 32U) | static_cast<std::uint32_t>(node_[index(t)]);
    }
    sort_by_key(keyed, std::span<std::uint64_t>(sort_scratch_.data() + count, count));
    std::int32_t* const list = list_ + index(slot) * stride_;
    for (std::size_t p = 0; p < count; ++p) {
        list[p] = static_cast<std::int32_t>(keyed[p] & 0xFFFFFFFFU);
    }
    list_begin_[index(slot)] = 0;
    list_end_[index(slot)] = static_cast<std::int32_t>(count);
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
        const std::int32_t* const list = m_.list_ + index(slot) * m_.stride_;
        std::int32_t& begin = m_.list_begin_[index(slot)];
        const std::int32_t end = m_.list_end_[index(slot)];
        while (begin < end && m_.state_[index(list[begin])].slot < 0) {
            ++begin;
        }
        if (begin < end) {
            const NodeState& other = m_.state_[index(list[begin])];
            consider(factor_ * m_.row(slot)[other.slot] - (m_.sum(slot) + other.sum), slot, other.slot);
        }
    }

    void rest(std::int32_t slot) {
        const std::int32_t* const list = m_.list_ + index(slot) * m_.stride_;
        const double* const row = m_.row(slot);
        const std::int32_t begin = m_.list_begin_[index(slot)];
        const std::int32_t end = m_.list_end_[index(slot)];
        const double own = m_.sum(slot);
        const double bound_sums = own + largest_sum_;
        std::int32_t p = begin + 1;
        std::int32_t joined = 0;
        for (; p < end; ++p) {
            const NodeState& other = m_.state_[index(list[p])];
            if (other.slot < 0) {
                ++joined;
                continue;
            }
            const double distance = row[other.slot];
            if (factor_ * static_cast<double>(lower_key(distance)) - bound_sums > found_.q) {
                break;
            }
            const double q = factor_ * distance - (own + other.sum);
            if (q <= found_.q) {
                consider(q, slot, other.slot);
            }
        }
        if (joined != 0) {
            drop_joined(slot, begin + 1, p);
        }
    }

private:
    void consider(double q, std::int32_t slot, std::int32_t other_slot) {
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
    // out, kept in order at the end of that range; the nearest entry, read
    // already, stays first.
    void drop_joined(std::int32_t slot, std::int32_t from, std::int32_t to) {
        std::int32_t* const list = m_.list_ + index(slot) * m_.stride_;
        std::int32_t kept = to;
        for (std::int32_t p = to; p-- > from;) {
            if (m_.state_[index(list[p])].slot >= 0) {
                list[--kept] = list[p];
            }
        }
        std::int32_t& first = m_.list_begin_[index(slot)];
        list[kept - 1] = list[first];
        first = kept - 1;
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
    double largest_sum = -std::numeric_limits<double>::infinity();
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
    live_.erase(std::find(live_.begin(), live_.end(), b));
    double* const row_a = rows_ + index(a) * stride_;
    const double* const row_b = row(b);
    for (const std::int32_t k : live_) {
        if (k != a) {
            double& s = state_[index(node(k))].sum;
            s = (s - (row_a[k] + row_b[k])) + distances[index(k)];
        }
    }
    state_[index(node(a))] = {};
    state_[index(node(b))] = {};
    const std::int32_t u = next_node_++;
    node_[index(a)] = u;
    std::vector<double>& others = scratch_values_;
    std::vector<std::int32_t>& older = scratch_slots_;
    others.clear();
    older.clear();
    for (const std::int32_t k : live_) {
        if (k != a) {
            row_a[k] = distances[index(k)];
            rows_[index(k) * stride_ + index(a)] = distances[index(k)];
            others.push_back(distances[index(k)]);
            older.push_back(k);
        }
    }
    state_[index(u)] = {sum_in_any_order(others), a};
    sort_list(a, older);
    return u;
}

} // namespace rf
