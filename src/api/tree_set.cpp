#include <algorithm>
#include <exception>
#include <limits>

#include "catalog_thread.hpp"
#include "distance_rows.hpp"
#include "matrix_input.hpp"
#include "reader_settings.hpp"
#include "rf_compare/rf_compare.hpp"
#include "thread_team.hpp"
#include "tree_reconstruction.hpp"

namespace rf_compare {

namespace {

// Matrices handed to the team at a time, per member: enough to keep every
// member busy, few enough to stop soon after a failure.
constexpr std::size_t MATRICES_PER_MEMBER = 4;

// Where one member rebuilds a tree.
struct Workspace {
    explicit Workspace(std::int32_t n) : matrix(n), table(n), list(n) {}
    rf::DistanceMatrix matrix;
    rf::ClusterTable table;
    rf::ClusterList list;
};

// What rebuilding one matrix gave: its tree (count 0: not additive), or the
// failure to report.
struct Outcome {
    rf::ClusterTree tree;
    std::int32_t count = 0;
    std::exception_ptr failure;
};

rf::Metric engine_metric(Metric metric) noexcept {
    switch (metric) {
    case Metric::wrf:
        return rf::Metric::wrf;
    case Metric::kf:
        return rf::Metric::kf;
    case Metric::rf:
        break;
    }
    return rf::Metric::rf;
}

} // namespace

struct TreeSet::State {
    State(WhenNotAdditive when, bool keep) : when_not_additive(when), keep_lengths(keep) {
        rf::ThreadTeam::start_if_useful(team, rf::usable_cpu_count());
        workspaces.resize(members());
    }

    [[nodiscard]] std::size_t members() const noexcept { return team ? team->size() : 1; }

    // Calls job(member) for every member, on the team when there is one.
    template <typename Job>
    void run(Job& job) {
        if (team) {
            team->run(job);
        } else {
            job(0);
        }
    }

    void rebuild(const MatrixView& view, std::size_t index, std::size_t member, Outcome& outcome);
    void rebuild_batch(std::span<const MatrixView> views, std::size_t first_index, std::vector<Outcome>& outcomes);
    void keep(Outcome& outcome, std::size_t index);

    WhenNotAdditive when_not_additive;
    bool keep_lengths;
    std::int32_t leaf_count = 0; // from the first matrix on
    std::size_t size = 0;
    std::optional<rf::CatalogThread> catalog;
    std::optional<rf::NumberedTrees> numbered; // once compared
    std::optional<rf::ThreadTeam> team;
    std::vector<std::optional<Workspace>> workspaces; // each member's own
};

// Called by one member at a time for its own workspace.
void TreeSet::State::rebuild(const MatrixView& view, std::size_t index, std::size_t member, Outcome& outcome) {
    try {
        const std::int32_t n = detail::leaf_count_of(view, index);
        if (n != leaf_count) {
            throw BadArgument("shape " + detail::shape_text(n, n) + " differs from the first matrix's " +
                                  detail::shape_text(leaf_count, leaf_count) +
                                  ": all matrices must have the same number of leaves",
                              index);
        }
        std::optional<Workspace>& workspace = workspaces[member];
        if (!workspace) {
            workspace.emplace(n);
        }
        detail::copy_matrix(view, workspace->matrix, index);
        outcome.count = rf::rebuild_tree(workspace->matrix, workspace->table, workspace->list, outcome.tree);
    } catch (...) {
        outcome.failure = std::current_exception();
    }
}

void TreeSet::State::rebuild_batch(std::span<const MatrixView> views, std::size_t first_index,
                                   std::vector<Outcome>& outcomes) {
    outcomes.assign(views.size(), Outcome{});
    const std::size_t stride = views.size() == 1 ? 1 : members();
    auto job = [&](std::size_t member) noexcept {
        for (std::size_t k = member; k < views.size(); k += stride) {
            rebuild(views[k], first_index + k, member, outcomes[k]);
        }
    };
    if (stride == 1) {
        job(0);
    } else {
        run(job);
    }
}

// Hands a rebuilt tree to the catalog, or reports why there is none.
void TreeSet::State::keep(Outcome& outcome, std::size_t index) {
    if (outcome.failure) {
        std::rethrow_exception(outcome.failure);
    }
    if (outcome.count == 0 && when_not_additive == WhenNotAdditive::stop) {
        throw NotAdditive("This is not an additive distance", index);
    }
    catalog->add_tree(std::move(outcome.tree), outcome.count);
    ++size;
}

TreeSet::TreeSet(WhenNotAdditive when_not_additive, bool keep_lengths)
    : state_(std::make_unique<State>(when_not_additive, keep_lengths)) {}
TreeSet::TreeSet(TreeSet&&) noexcept = default;
TreeSet& TreeSet::operator=(TreeSet&&) noexcept = default;
TreeSet::~TreeSet() = default;

std::size_t TreeSet::size() const noexcept { return state_->size; }

void TreeSet::add(const MatrixView& matrix) { add_all({&matrix, 1}); }

void TreeSet::add_all(std::span<const MatrixView> matrices) {
    State& s = *state_;
    if (s.numbered) {
        throw BadArgument("no tree can be added once the trees have been compared");
    }
    if (matrices.empty()) {
        return;
    }
    if (s.leaf_count == 0) {
        s.leaf_count = detail::leaf_count_of(matrices.front(), s.size);
        s.catalog.emplace(s.leaf_count, s.keep_lengths);
    }
    const std::size_t batch = s.members() * MATRICES_PER_MEMBER;
    std::vector<Outcome> outcomes;
    for (std::size_t first = 0; first < matrices.size(); first += batch) {
        const std::span<const MatrixView> views = matrices.subspan(first, std::min(batch, matrices.size() - first));
        const std::size_t first_index = s.size;
        s.rebuild_batch(views, first_index, outcomes);
        for (std::size_t k = 0; k < outcomes.size(); ++k) {
            s.keep(outcomes[k], first_index + k);
        }
    }
}

void TreeSet::distances(Metric metric, bool normalised, bool first_row_only, std::span<double> out) {
    State& s = *state_;
    if (normalised && metric != Metric::rf) {
        throw BadArgument("normalised applies to the rf metric only: wrf and kf have no largest possible value");
    }
    if (metric != Metric::rf && !s.keep_lengths) {
        throw BadArgument("the edge lengths were not kept: only the rf metric can be asked for");
    }
    if (!s.numbered) {
        s.numbered = s.catalog ? s.catalog->finish() : rf::NumberedTrees{};
    }
    const rf::DistanceRows rows(*s.numbered, engine_metric(metric), normalised);
    const std::size_t m = rows.size();
    const std::size_t row_count = first_row_only ? std::min<std::size_t>(m, 1) : m;
    if (out.size() != row_count * m) {
        throw BadArgument("room for " + std::to_string(out.size()) + " distances, not " + std::to_string(row_count * m));
    }
    std::vector<std::exception_ptr> failures(s.members());
    auto job = [&](std::size_t member) noexcept {
        try {
            rf::DistanceRows::Scratch scratch;
            std::vector<double> distances;
            for (std::size_t t = member; t < row_count; t += s.members()) {
                rows.row(t, scratch, distances);
                std::copy(distances.begin(), distances.end(), out.begin() + static_cast<std::ptrdiff_t>(t * m));
            }
        } catch (...) {
            failures[member] = std::current_exception();
        }
    };
    if (row_count > 1) {
        s.run(job);
    } else {
        job(0);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

} // namespace rf_compare
