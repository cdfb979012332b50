#include "cluster_catalog.hpp"

#include <algorithm>

#include "cluster_children.hpp"

namespace rf {

namespace {

// A fixed, well-mixed 64-bit key for each leaf.
std::uint64_t mix(std::uint64_t x) noexcept {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

} // namespace

ClusterCatalog::ClusterCatalog(std::int32_t leaf_count)
    : leaf_keys_(static_cast<std::size_t>(leaf_count) + 1), marks_(static_cast<std::size_t>(leaf_count) + 1, 0) {
    for (std::size_t v = 0; v < leaf_keys_.size(); ++v) {
        leaf_keys_[v] = mix(v);
    }
}

// Lists the leaves depth first, so that every cluster's leaves are one span
// of the list, and notes each cluster's span. Returns the topmost cluster.
std::int32_t ClusterCatalog::lay_out(const ClusterTree& tree, std::int32_t count, std::vector<std::int32_t>& leaves) {
    const ClusterChildren children(tree, count);
    spans_.assign(static_cast<std::size_t>(count) + 1, Span{0, 0});
    std::vector<std::int32_t> stack{children.top()}; // ~c: every leaf below c is listed
    while (!stack.empty()) {
        const std::int32_t c = stack.back();
        stack.pop_back();
        if (c < 0) {
            Span& closed = spans_[static_cast<std::size_t>(~c)];
            closed.size = static_cast<std::int32_t>(leaves.size()) - closed.first;
            continue;
        }
        const auto at = static_cast<std::size_t>(c);
        spans_[at].first = static_cast<std::int32_t>(leaves.size());
        if (tree.leaf[at] != 0) {
            leaves.push_back(tree.leaf[at]);
        }
        stack.push_back(~c);
        const std::span<const std::int32_t> below = children.of(c);
        stack.insert(stack.end(), below.begin(), below.end());
    }
    return children.top();
}

TreeEdges ClusterCatalog::add_tree(const ClusterTree& tree, std::int32_t count) {
    std::vector<std::int32_t>& leaves = leaves_.emplace_back();
    leaves.reserve(leaf_keys_.size());
    const auto top = static_cast<std::size_t>(lay_out(tree, count, leaves));
    // Prefix sums of the keys along the list: a span's hash in one step.
    std::vector<std::uint64_t> key_sums(leaves.size() + 1, 0);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        key_sums[i + 1] = key_sums[i] + leaf_keys_[static_cast<std::size_t>(leaves[i])];
    }
    std::vector<std::pair<std::int32_t, double>> inner;
    TreeEdges edges;
    edges.leaf_lengths.assign(leaf_keys_.size(), 0.0);
    for (std::size_t c = 1; c <= static_cast<std::size_t>(count); ++c) {
        const Span span = spans_[c];
        const double length = tree.edge_length[c];
        if (tree.leaf[c] != 0) {
            edges.leaf_lengths[static_cast<std::size_t>(tree.leaf[c])] = length;
        } else if (tree.parent[c] != 0) {
            const auto first = static_cast<std::size_t>(span.first);
            inner.emplace_back(number_of(key_sums[first + static_cast<std::size_t>(span.size)] - key_sums[first], span),
                               length);
        }
    }
    // The topmost cluster's edge is leaf 1's. With two leaves it is also
    // leaf 2's cluster: the one edge, which the Newick line gives to leaf 1
    // (1:d,2:0), is counted once.
    edges.leaf_lengths[1] = tree.edge_length[top];
    if (tree.leaf[top] != 0) {
        edges.leaf_lengths[static_cast<std::size_t>(tree.leaf[top])] = 0.0;
    }
    std::sort(inner.begin(), inner.end());
    for (const auto& [number, length] : inner) {
        edges.inner_clusters.push_back(number);
        edges.inner_lengths.push_back(length);
    }
    return edges;
}

ClusterCatalog::Slot& ClusterCatalog::slot_of(std::uint64_t hash) noexcept {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask; // the keys are well mixed already
    while (slots_[at].known >= 0 && slots_[at].hash != hash) {
        at = (at + 1) & mask;
    }
    return slots_[at];
}

void ClusterCatalog::grow_slots() {
    std::vector<Slot> old(std::max<std::size_t>(1024, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.known >= 0) {
            slot_of(slot.hash) = slot;
        }
    }
}

std::int32_t ClusterCatalog::number_of(std::uint64_t hash, Span span) {
    if (2 * (used_slots_ + 1) > slots_.size()) {
        grow_slots();
    }
    Slot& slot = slot_of(hash);
    const std::int32_t number = size();
    if (slot.known < 0) {
        slot = {hash, number};
        ++used_slots_;
    } else {
        std::int32_t k = slot.known;
        for (;; k = known_[static_cast<std::size_t>(k)].next) {
            if (same_leaves(known_[static_cast<std::size_t>(k)], span)) {
                return k;
            }
            if (known_[static_cast<std::size_t>(k)].next < 0) {
                break;
            }
        }
        known_[static_cast<std::size_t>(k)].next = number; // a different cluster with the same hash
    }
    known_.push_back({static_cast<std::int32_t>(leaves_.size()) - 1, span.first, span.size});
    return number;
}

bool ClusterCatalog::same_leaves(const Known& known, Span span) {
    if (known.size != span.size) {
        return false;
    }
    if (++mark_ == 0) { // the marks wrapped: start them afresh
        std::fill(marks_.begin(), marks_.end(), 0);
        mark_ = 1;
    }
    const std::vector<std::int32_t>& theirs = leaves_[static_cast<std::size_t>(known.tree)];
    for (std::int32_t i = 0; i < known.size; ++i) {
        marks_[static_cast<std::size_t>(theirs[static_cast<std::size_t>(known.first + i)])] = mark_;
    }
    const std::vector<std::int32_t>& ours = leaves_.back();
    for (std::int32_t i = 0; i < span.size; ++i) {
        if (marks_[static_cast<std::size_t>(ours[static_cast<std::size_t>(span.first + i)])] != mark_) {
            return false;
        }
    }
    return true;
}

} // namespace rf
