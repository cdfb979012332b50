#include "tree_collector.hpp"

#include <algorithm>
#include <atomic>
#include <climits>
#include <exception>
#include <string>

#include "cluster_tree_builder.hpp"
#include "matrix_checks.hpp"
#include "messages.hpp"
#include "tree_access.hpp"

namespace rf_compare::detail {

namespace {

// Matrices handed to the team at a time, per member: enough to keep every
// member busy, few enough to stop soon after a failure; and at most this
// many bytes of them, or one matrix when it is larger.
constexpr std::size_t MATRICES_PER_MEMBER = 4;
constexpr std::size_t BATCH_BYTES = std::size_t{32} << 20;
// Fewer cells than this in a batch are rebuilt faster than threads wake.
constexpr std::int64_t CELLS_WORTH_SHARING = std::int64_t{1} << 16;
// From this many leaves on, one matrix's neighbor joining shares its search.
constexpr std::int32_t LEAVES_WORTH_SHARING = 600;

std::int64_t cells_of(const MatrixView& view) noexcept { return view.rows * view.columns; }

} // namespace

// Where one member copies a matrix to rebuild it, and joins its neighbors.
struct TreeCollector::Workspace {
    std::optional<rf::DistanceMatrix> matrix;
    rf::JoiningRoom room;
};

// What rebuilding one matrix gave: its tree (nothing: not additive), or
// the failure to report.
struct TreeCollector::Outcome {
    std::optional<std::vector<std::int32_t>> order; // the leaves put in the first matrix's order of names
    Judged judged;
    std::int32_t leaf_count = 0;
    std::exception_ptr failure;
    bool done = false;
};

TreeCollector::TreeCollector(CollectorSettings settings, TreeObserver observer)
    : settings_(std::move(settings)), observer_(std::move(observer)) {}

TreeCollector::~TreeCollector() = default;

void TreeCollector::keep(Judged judged, std::int32_t n) {
    const ErrorPlace place{size_, std::nullopt, std::nullopt};
    if (leaf_count_ != 0 && n != leaf_count_) {
        throw matrix_error(ErrorKind::bad_argument, place,
                           ": shape " + shape_text(n, n) + " differs from the first matrix's " +
                               shape_text(leaf_count_, leaf_count_) + ": all matrices must have the same number of leaves");
    }
    if (judged.fault && !settings_.mark_faulty) {
        throw matrix_error(ErrorKind::bad_argument, {size_, judged.fault->row - 1, judged.fault->column - 1},
                           fault_text(*judged.fault));
    }
    if (!judged.fault && !judged.tree && !settings_.mark_not_additive) {
        throw matrix_error(ErrorKind::not_additive, place, not_additive_text(judged.verdict));
    }
    if (!catalog_) {
        catalog_.emplace(n, settings_.keep_lengths, settings_.threads.start);
    }
    if (observer_) {
        observer_(size_, judged.tree, judged.verdict);
    }
    leaf_count_ = n;
    verdicts_.push_back(std::move(judged.verdict));
    catalog_->add_tree(std::move(judged.tree));
    ++size_;
}

void TreeCollector::add(const rf::DistanceMatrix& matrix, const std::vector<std::string>& names) {
    if (size_ == 0) {
        static_cast<void>(names_.order_of(names)); // the matrices come in their order already
    }
    try {
        workspaces_.resize(std::max<std::size_t>(workspaces_.size(), 1));
        keep(judge_matrix(matrix, settings_.rebuilding, {team_for_one(matrix.leaf_count()), {}, &workspaces_[0].room}),
             matrix.leaf_count());
    } catch (...) {
        if (size_ == 0) {
            names_ = LeafNames{}; // nothing kept, nothing fixed
        }
        throw;
    }
}

void TreeCollector::add(const Tree& tree) {
    const Tree* const given[] = {&tree};
    const std::vector<std::string> names[] = {tree.names()};
    rf::Cancellation never;
    rebuild_batch(std::span<const MatrixView>(), names, given, never);
}

TreeCollector::Judged TreeCollector::judged_as_given(const Tree& tree,
                                                     const std::optional<std::vector<std::int32_t>>& order) const {
    const auto& state = TreeAccess::state(tree);
    Judged judged;
    judged.verdict.rebuilt = true;
    judged.verdict.has_lengths = state.has_lengths;
    if (!order) {
        judged.tree = state.tree;
        return judged;
    }
    // order[k]: this tree's place of the first's leaf k; leaf p + 1 becomes k + 1.
    std::vector<std::int32_t> new_number(order->size() + 1, 0);
    for (std::size_t k = 0; k < order->size(); ++k) {
        new_number[static_cast<std::size_t>((*order)[k]) + 1] = static_cast<std::int32_t>(k) + 1;
    }
    judged.tree = rf::renumbered_leaves(state.tree, new_number);
    return judged;
}

rf::ThreadTeam* TreeCollector::team_for_one(std::int32_t leaf_count) {
    if (settings_.rebuilding.method == RebuildMethod::additive || leaf_count < LEAVES_WORTH_SHARING ||
        settings_.threads.threads <= 1) {
        return nullptr;
    }
    if (!team_) {
        team_.emplace(settings_.threads);
    }
    return &*team_;
}

std::size_t TreeCollector::batch_size() const noexcept {
    return MATRICES_PER_MEMBER * std::max<std::size_t>(settings_.threads.threads, 1);
}

void TreeCollector::add_views(std::span<const MatrixView> views, rf::Cancellation& cancellation) {
    for (std::size_t first = 0; first < views.size();) {
        std::size_t count = 0;
        std::size_t bytes = 0;
        while (first + count < views.size() && count < batch_size() &&
               (count == 0 || bytes + 8 * static_cast<std::size_t>(cells_of(views[first + count])) <= BATCH_BYTES)) {
            bytes += 8 * static_cast<std::size_t>(cells_of(views[first + count]));
            ++count;
        }
        rebuild_batch(views.subspan(first, count), {}, {}, cancellation);
        first += count;
    }
}

void TreeCollector::add_supply(MatrixSupply& supply, rf::Cancellation& cancellation) {
    std::vector<MatrixSupply::Matrix> batch;
    std::vector<MatrixView> views;
    std::vector<std::vector<std::string>> names;
    std::vector<const Tree*> given;
    // What the supply throws is its next matrix's fault: the matrices
    // before it are rebuilt first, so that their faults come first.
    std::exception_ptr supply_failure;
    for (bool more = true; more;) {
        std::size_t bytes = 0;
        while (batch.size() < batch_size() && bytes < BATCH_BYTES) {
            std::optional<MatrixSupply::Matrix> next;
            try {
                next = supply.next();
            } catch (...) {
                supply_failure = std::current_exception();
            }
            if (!next) {
                more = false;
                break;
            }
            if (next->tree) {
                names.push_back(next->tree->names());
                views.push_back({});
            } else {
                bytes += 8 * static_cast<std::size_t>(std::max<std::int64_t>(cells_of(next->view), 0));
                names.push_back(std::move(next->names));
                views.push_back(next->view);
            }
            batch.push_back(std::move(*next));
        }
        given.clear();
        for (const MatrixSupply::Matrix& item : batch) { // the batch holds its items in place from here on
            given.push_back(item.tree ? &*item.tree : nullptr);
        }
        rebuild_batch(views, names, given, cancellation);
        views.clear();
        names.clear();
        batch.clear(); // the owners go on this thread, as promised
    }
    if (supply_failure) {
        std::rethrow_exception(supply_failure);
    }
}

void TreeCollector::rebuild_view(const MatrixView& view, std::size_t index, Workspace& workspace, Outcome& outcome,
                                 const rf::JoiningWork& work) const {
    try {
        const std::int32_t n = leaf_count_of(view, index);
        if (!workspace.matrix || workspace.matrix->leaf_count() != n) {
            workspace.matrix.reset();
            workspace.matrix.emplace(n);
        }
        copy_matrix(view, *workspace.matrix, index, outcome.order ? &*outcome.order : nullptr);
        outcome.judged = judge_matrix(*workspace.matrix, settings_.rebuilding, work);
        outcome.leaf_count = n;
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    outcome.done = true;
}

void TreeCollector::rebuild_batch(std::span<const MatrixView> views, std::span<const std::vector<std::string>> names,
                                  std::span<const Tree* const> given, rf::Cancellation& cancellation) {
    if (views.empty() && given.empty()) {
        return;
    }
    const LeafNames before = names_;
    try {
        rebuild_named_batch(views, names, given, cancellation);
    } catch (...) {
        if (size_ == 0) {
            names_ = before; // nothing kept, nothing fixed
        }
        throw;
    }
}

void TreeCollector::rebuild_named_batch(std::span<const MatrixView> views,
                                        std::span<const std::vector<std::string>> names,
                                        std::span<const Tree* const> given, rf::Cancellation& cancellation) {
    const std::size_t count = std::max(views.size(), given.size());
    std::int64_t cells = 0;
    for (const MatrixView& view : views) {
        cells += std::max<std::int64_t>(cells_of(view), 0);
    }
    if (!team_ && views.size() > 1 && cells >= CELLS_WORTH_SHARING) {
        team_.emplace(settings_.threads);
    }
    const std::size_t members = team_ && views.size() > 1 ? team_->size() : 1;
    // A batch of one matrix is rebuilt on this thread, its search shared.
    rf::ThreadTeam* const searchers =
        views.size() == 1 ? team_for_one(static_cast<std::int32_t>(std::clamp<std::int64_t>(views.front().rows, 0, INT32_MAX)))
                          : nullptr;
    workspaces_.resize(std::max(workspaces_.size(), members));
    std::vector<Outcome> outcomes(count);
    // Names are matched in matrix order, here: a mismatch is that matrix's
    // failure, reported in its turn. Trees given as trees need no more.
    const std::vector<std::string> no_names;
    for (std::size_t k = 0; k < count; ++k) {
        try {
            const bool tree = k < given.size() && given[k] != nullptr;
            outcomes[k].order = names_.order_of(k < names.size() ? names[k] : no_names, tree);
            if (k < given.size() && given[k] != nullptr) {
                outcomes[k].judged = judged_as_given(*given[k], outcomes[k].order);
                outcomes[k].leaf_count = given[k]->leaf_count();
                outcomes[k].done = true;
            }
        } catch (const LeafNames::Mismatch& mismatch) {
            outcomes[k].failure = std::make_exception_ptr(
                matrix_error(ErrorKind::bad_argument, {size_ + k, std::nullopt, std::nullopt}, mismatch.what));
            outcomes[k].done = true;
        } catch (...) {
            outcomes[k].failure = std::current_exception();
            outcomes[k].done = true;
        }
    }
    std::atomic<std::size_t> next{0};
    auto job = [&](std::size_t member) noexcept {
        for (std::size_t k = next++; k < count; k = next++) {
            if (member == 0 ? cancellation.poll() : cancellation.stopped()) {
                return;
            }
            if (!outcomes[k].done) {
                const rf::JoiningWork work{members == 1 ? searchers : nullptr,
                                           [&cancellation, member] {
                                               return member == 0 ? cancellation.poll() : cancellation.stopped();
                                           },
                                           &workspaces_[member].room};
                rebuild_view(views[k], size_ + k, workspaces_[member], outcomes[k], work);
            }
        }
    };
    if (members > 1) {
        team_->run(job);
    } else {
        job(0);
    }
    for (Outcome& outcome : outcomes) {
        if (!outcome.done) {
            throw rf::Cancelled();
        }
        if (outcome.failure) {
            std::rethrow_exception(outcome.failure);
        }
        keep(std::move(outcome.judged), outcome.leaf_count);
    }
}

rf::NumberedTrees TreeCollector::finish() {
    if (!catalog_) {
        return {};
    }
    rf::NumberedTrees numbered = catalog_->finish();
    catalog_.reset();
    return numbered;
}

} // namespace rf_compare::detail
