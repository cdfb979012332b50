// The one way trees are rebuilt and collected for comparison, for rf_pairs
// and every caller of the library: matrices rebuilt (on the calling thread,
// or a batch at a time on a team), a matrix that is not additive stopped
// at or kept as a tree left out, and every tree numbered by the catalog in
// the order of the matrices. The first failure in matrix order is the one
// thrown; the trees before it stay, and a matrix that failed fixes nothing
// (not even n).
//
// Thread-safety: one thread at a time; the observer and the cancellation's
// check are called from that thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "cancellation.hpp"
#include "catalog_thread.hpp"
#include "cluster_tree.hpp"
#include "distance_matrix.hpp"
#include "leaf_names.hpp"
#include "rf_compare/matrix_view.hpp"
#include "rf_compare/tree_set.hpp"
#include "thread_starter.hpp"
#include "thread_team.hpp"
#include "judged_tree.hpp"
#include "rf_compare/misfit.hpp"
#include "rf_compare/tolerance.hpp"
#include "tree_edges.hpp"

namespace rf_compare::detail {

struct CollectorSettings {
    bool mark_not_additive = false;
    bool keep_lengths = true;
    rf::ThreadUse threads;
    Rebuilding rebuilding;
    // A matrix that is no distance matrix (not symmetric, negative, too
    // large) is left out like one that is not additive, not an error.
    bool mark_faulty = false;
};

// Told of every matrix in order, before its tree is kept: its index, its
// tree (nothing when it is left out) and what became of it.
using TreeObserver =
    std::function<void(std::size_t index, const std::optional<rf::ClusterTree>& tree, const TreeVerdict& verdict)>;

class TreeCollector {
public:
    explicit TreeCollector(CollectorSettings settings, TreeObserver observer = {});
    TreeCollector(const TreeCollector&) = delete;
    TreeCollector& operator=(const TreeCollector&) = delete;
    ~TreeCollector();

    // A matrix in the engine's layout, rebuilt on the calling thread; its
    // leaves in the order of `names` (which the first matrix's fix).
    void add(const rf::DistanceMatrix& matrix, const std::vector<std::string>& names);

    // A tree as it is, its leaves matched to the first's by name.
    void add(const Tree& tree);

    // Matrices in memory, checked, put in the first matrix's order of names,
    // copied and rebuilt a batch at a time, until `cancellation` stops them
    // (rf::Cancelled).
    void add_views(std::span<const MatrixView> views, rf::Cancellation& cancellation);
    void add_supply(MatrixSupply& supply, rf::Cancellation& cancellation);

    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    [[nodiscard]] std::int32_t leaf_count() const noexcept { return leaf_count_; }
    // The leaves' names of every tree; empty when the matrices had none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept { return names_.names(); }
    // What became of every matrix kept, in order.
    [[nodiscard]] const std::vector<TreeVerdict>& verdicts() const noexcept { return verdicts_; }

    // Every tree kept, numbered; nothing can be added afterwards.
    [[nodiscard]] rf::NumberedTrees finish();

private:
    struct Outcome;
    struct Workspace;
    using Judged = JudgedTree;
    // `given[k]`, where there is one, is a tree given as a tree in place of
    // matrix k.
    void rebuild_batch(std::span<const MatrixView> views, std::span<const std::vector<std::string>> names,
                       std::span<const Tree* const> given, rf::Cancellation& cancellation);
    void rebuild_named_batch(std::span<const MatrixView> views, std::span<const std::vector<std::string>> names,
                             std::span<const Tree* const> given, rf::Cancellation& cancellation);
    [[nodiscard]] Judged judged_as_given(const Tree& tree, const std::optional<std::vector<std::int32_t>>& order) const;
    void rebuild_view(const MatrixView& view, std::size_t index, Workspace& workspace, Outcome& outcome,
                      const rf::JoiningWork& work) const;
    // Neighbor joining's search of one large matrix shared by the team,
    // started for it where it is worth it; nullptr for the calling thread alone.
    [[nodiscard]] rf::ThreadTeam* team_for_one(std::int32_t leaf_count);
    void keep(Judged judged, std::int32_t n);
    [[nodiscard]] std::size_t batch_size() const noexcept;

    CollectorSettings settings_;
    TreeObserver observer_;
    std::int32_t leaf_count_ = 0; // fixed by the first matrix kept
    LeafNames names_;             // fixed by the first matrix kept
    std::vector<TreeVerdict> verdicts_;
    std::size_t size_ = 0;
    std::optional<rf::CatalogThread> catalog_;
    std::vector<Workspace> workspaces_; // each member's own
    std::optional<rf::ThreadTeam> team_; // started for the first batch worth sharing
};

} // namespace rf_compare::detail
