#include "cluster_catalog.hpp"

#include <algorithm>

namespace rf {

std::uint64_t mixed_leaf_key(std::int32_t leaf) noexcept {
    auto x = static_cast<std::uint64_t>(leaf);
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

ClusterCatalog::ClusterCatalog(std::int32_t leaf_count, bool keep_lengths, LeafKey key)
    : leaves_per_tree_(static_cast<std::size_t>(leaf_count) - 1), keep_lengths_(keep_lengths),
      leaf_keys_(static_cast<std::size_t>(leaf_count) + 1), marks_(static_cast<std::size_t>(leaf_count) + 1, 0) {
    for (std::size_t v = 0; v < leaf_keys_.size(); ++v) {
        leaf_keys_[v] = key(static_cast<std::int32_t>(v));
    }
}

// Lists the leaves depth first, so that every cluster's leaves are one span
// of the list, and notes each cluster's span. Returns the topmost cluster.
std::int32_t ClusterCatalog::lay_out(const ClusterTree& tree) {
    children_.assign(tree);
    spans_.assign(static_cast<std::size_t>(tree.count()) + 1, Span{0, 0});
    const std::size_t first_leaf = leaves_.size();
    stack_.assign(1, children_.top()); // ~c: every leaf below c is listed
    while (!stack_.empty()) {
        const std::int32_t c = stack_.back();
        stack_.pop_back();
        if (c < 0) {
            Span& closed = spans_[static_cast<std::size_t>(~c)];
            closed.size = static_cast<std::int32_t>(leaves_.size() - first_leaf) - closed.first;
            continue;
        }
        const auto at = static_cast<std::size_t>(c);
        spans_[at].first = static_cast<std::int32_t>(leaves_.size() - first_leaf);
        if (tree.leaf[at] != 0) {
            leaves_.push_back(tree.leaf[at]);
        }
        stack_.push_back(~c);
        const std::span<const std::int32_t> below = children_.of(c);
        stack_.insert(stack_.end(), below.begin(), below.end());
    }
    return children_.top();
}

TreeEdges ClusterCatalog::add_tree(const ClusterTree& tree) {
    const std::size_t first_leaf = leaves_.size();
    const auto top = static_cast<std::size_t>(lay_out(tree));
    const auto count = static_cast<std::size_t>(tree.count());
    // Prefix sums of the keys along the list: a span's hash in one step.
    key_sums_.assign(leaves_per_tree_ + 1, 0);
    for (std::size_t i = 0; i < leaves_per_tree_; ++i) {
        key_sums_[i + 1] = key_sums_[i] + leaf_keys_[static_cast<std::size_t>(leaves_[first_leaf + i])];
    }
    TreeEdges edges;
    edges.rebuilt = true;
    if (keep_lengths_) {
        edges.leaf_lengths.assign(leaf_keys_.size(), 0.0);
    }
    // The inner clusters' hashes first, and their slots asked for from
    // memory, so that the lookups below do not wait for them one by one.
    inner_.clear();
    for (std::size_t c = 1; c <= count; ++c) {
        if (tree.leaf[c] != 0) {
            if (keep_lengths_) {
                edges.leaf_lengths[static_cast<std::size_t>(tree.leaf[c])] = tree.edge_length[c];
            }
        } else if (tree.parent[c] != 0) {
            const auto first = static_cast<std::size_t>(spans_[c].first);
            const std::uint64_t hash = key_sums_[first + static_cast<std::size_t>(spans_[c].size)] - key_sums_[first];
            inner_.push_back({hash, static_cast<std::int32_t>(c)});
            if (!slots_.empty()) {
                __builtin_prefetch(&slots_[(hash >> 32U) & (slots_.size() - 1)]);
            }
        }
    }
    numbered_.clear();
    for (const Inner& cluster : inner_) {
        const auto c = static_cast<std::size_t>(cluster.cluster);
        numbered_.emplace_back(number_of(cluster.hash, spans_[c]), tree.edge_length[c]);
    }
    ++trees_;
    std::sort(numbered_.begin(), numbered_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; }); // numbers are distinct
    edges.inner_clusters.reserve(numbered_.size());
    for (const auto& [number, length] : numbered_) {
        edges.inner_clusters.push_back(number);
        if (keep_lengths_) {
            edges.inner_lengths.push_back(length);
        }
    }
    if (keep_lengths_) {
        // The topmost cluster's edge is leaf 1's. With two leaves it is also
        // leaf 2's cluster: the one edge, which the Newick line gives to
        // leaf 1 (1:d,2:0), is counted once.
        edges.leaf_lengths[1] = tree.edge_length[top];
        if (tree.leaf[top] != 0) {
            edges.leaf_lengths[static_cast<std::size_t>(tree.leaf[top])] = 0.0;
        }
    }
    return edges;
}

ClusterCatalog::Slot& ClusterCatalog::slot_of(std::uint32_t fingerprint) noexcept {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = fingerprint & mask; // the keys are well mixed already
    while (slots_[at].known >= 0 && slots_[at].fingerprint != fingerprint) {
        at = (at + 1) & mask;
    }
    return slots_[at];
}

void ClusterCatalog::grow_slots() {
    std::vector<Slot> old(std::max<std::size_t>(1024, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.known >= 0) {
            slot_of(slot.fingerprint) = slot;
        }
    }
}

std::int32_t ClusterCatalog::number_of(std::uint64_t hash, Span span) {
    if (4 * (used_slots_ + 1) > 3 * slots_.size()) {
        grow_slots();
    }
    const auto fingerprint = static_cast<std::uint32_t>(hash >> 32U);
    Slot& slot = slot_of(fingerprint);
    const std::int32_t number = size();
    if (slot.known < 0) {
        slot = {fingerprint, number};
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
        known_[static_cast<std::size_t>(k)].next = number; // a different cluster with the same fingerprint
    }
    known_.push_back({trees_, span.first, span.size});
    return number;
}

bool ClusterCatalog::same_leaves(const Known& known, Span span) {
    if (known.size != span.size) {
        return false;
    }
    const std::int32_t* theirs = leaves_.data() + static_cast<std::size_t>(known.tree) * leaves_per_tree_ + known.first;
    const std::int32_t* ours = leaves_.data() + static_cast<std::size_t>(trees_) * leaves_per_tree_ + span.first;
    if (span.size <= 3) { // small clusters, the most shared, leaf against leaf
        for (std::int32_t i = 0; i < span.size; ++i) {
            if (std::find(theirs, theirs + span.size, ours[i]) == theirs + span.size) {
                return false;
            }
        }
        return true;
    }
    if (++mark_ == 0) { // the marks wrapped: start them afresh
        std::fill(marks_.begin(), marks_.end(), 0);
        mark_ = 1;
    }
    for (std::int32_t i = 0; i < known.size; ++i) {
        marks_[static_cast<std::size_t>(theirs[i])] = mark_;
    }
    for (std::int32_t i = 0; i < span.size; ++i) {
        if (marks_[static_cast<std::size_t>(ours[i])] != mark_) {
            return false;
        }
    }
    return true;
}

} // namespace rf
