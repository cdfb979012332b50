#include "rf_compare/tree_table.hpp"

#include <algorithm>
#include <atomic>
#include <limits>
#include <exception>
#include <vector>

#include "cancellation.hpp"
#include "distance_rows.hpp"
#include "guarded_call.hpp"
#include "messages.hpp"
#include "thread_team.hpp"
#include "tree_table_state.hpp"

namespace rf_compare {

namespace {

// Fewer cells than this are computed faster than threads wake.
constexpr std::size_t CELLS_WORTH_SHARING = std::size_t{1} << 14;

void check_lengths_kept(const TableRequest& request, bool keep_lengths) {
    if (request.metric != Metric::rf && !keep_lengths) {
        throw Error(ErrorKind::bad_argument, "the edge lengths were not kept: only the rf metric can be asked for");
    }
}

// Weighted distances need every edge's length: a tree given without one
// is refused by its place.
void check_lengths_given(const TableRequest& request, const std::vector<detail::TreeVerdict>& verdicts) {
    if (request.metric == Metric::rf) {
        return;
    }
    for (std::size_t k = 0; k < verdicts.size(); ++k) {
        if (!verdicts[k].has_lengths) {
            throw detail::matrix_error(ErrorKind::bad_argument, {k, std::nullopt, std::nullopt},
                                       std::string("is a tree without the length of some edge: ") +
                                           (request.metric == Metric::wrf ? "wrf" : "kf") + " needs every edge's length");
        }
    }
}

} // namespace

void check_request(const TableRequest& request) {
    if (request.normalised && request.metric != Metric::rf) {
        throw Error(ErrorKind::bad_argument, std::string("normalised applies to metric rf only: ") +
                                                 (request.metric == Metric::wrf ? "wrf" : "kf") +
                                                 " has no largest possible value");
    }
}

TreeTable::TreeTable(std::unique_ptr<const State> state) noexcept : state_(std::move(state)) {}
TreeTable::TreeTable(TreeTable&&) noexcept = default;
TreeTable& TreeTable::operator=(TreeTable&&) noexcept = default;
TreeTable::~TreeTable() = default;

std::size_t TreeTable::size() const noexcept { return state_->numbered.trees.size(); }

std::int32_t TreeTable::leaf_count() const noexcept { return state_->leaf_count; }

const std::vector<std::string>& TreeTable::names() const noexcept { return state_->names; }

Misfit TreeTable::misfit(std::size_t tree) const noexcept {
    if (tree >= state_->verdicts.size() || !state_->verdicts[tree].rebuilt) {
        return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    }
    return state_->verdicts[tree].misfit;
}

std::string TreeTable::misfit_warning() const {
    return detail::guarded("a warning", [this] { return detail::misfit_warning(state_->verdicts); });
}

bool TreeTable::rebuilt(std::size_t tree) const noexcept {
    return tree < size() && state_->numbered.trees[tree].rebuilt;
}

std::size_t TreeTable::cells(const TableRequest& request) const noexcept {
    const std::size_t m = size();
    switch (request.rows) {
    case Rows::first:
        return std::min<std::size_t>(m, 1) * m;
    case Rows::condensed:
        return m * (m - std::min<std::size_t>(m, 1)) / 2;
    case Rows::across:
        return std::min(request.first_set, m) * (m - std::min(request.first_set, m));
    case Rows::all:
        break;
    }
    return m * m;
}

// Rows of the table, each handed to `store` with where its cells go in the
// output (the part of it to store), computed on the threads the set was
// allowed; the caller's thread asks the interruption check between its rows.
template <typename Store>
void TreeTable::fill_rows(const TableRequest& request, std::size_t out_size, const Store& store) const {
    check_request(request);
    check_lengths_kept(request, state_->keep_lengths);
    check_lengths_given(request, state_->verdicts);
    if (out_size != cells(request)) {
        throw Error(ErrorKind::bad_argument,
                    "room for " + std::to_string(out_size) + " distances, not " + std::to_string(cells(request)));
    }
    detail::guarded("the table of distances", [&] {
        const std::size_t m = size();
        const std::size_t split = std::min(request.first_set, m);
        const std::size_t rows = request.rows == Rows::first       ? std::min<std::size_t>(m, 1)
                                 : request.rows == Rows::condensed ? m - std::min<std::size_t>(m, 1)
                                 : request.rows == Rows::across    ? split
                                                                   : m;
        const bool condensed = request.rows == Rows::condensed;
        const rf::DistanceRows table(state_->numbered, request.metric, request.normalised);
        rf::Cancellation cancellation(state_->interrupted);
        rf::ThreadTeam team(rows > 1 && out_size >= CELLS_WORTH_SHARING ? state_->threads : rf::ThreadUse{});
        std::vector<std::exception_ptr> failures(team.size());
        std::atomic<std::size_t> next{0};
        auto job = [&](std::size_t member) noexcept {
            try {
                rf::DistanceRows::Scratch scratch;
                std::vector<double> row(m);
                for (std::size_t t = next++; t < rows; t = next++) {
                    if (member == 0 ? cancellation.poll() : cancellation.stopped()) {
                        return;
                    }
                    table.row(t, scratch, row);
                    row[t] = 0.0; // a tree left out is 0 from itself too: the table stays a distance table
                    if (condensed) { // the cells after the diagonal; rows before t hold m-1, m-2, ... of them
                        store(t * (m - 1) - t * (t - 1) / 2, std::span<const double>(row).subspan(t + 1));
                    } else if (request.rows == Rows::across) {
                        store(t * (m - split), std::span<const double>(row).subspan(split));
                    } else {
                        store(t * m, row);
                    }
                }
            } catch (...) {
                failures[member] = std::current_exception();
            }
        };
        team.run(job);
        for (const std::exception_ptr& failure : failures) {
            if (failure) {
                std::rethrow_exception(failure);
            }
        }
        if (cancellation.stopped()) {
            throw rf::Cancelled();
        }
    });
}

void TreeTable::distances(const TableRequest& request, std::span<double> out) const {
    fill_rows(request, out.size(), [out](std::size_t first, std::span<const double> row) {
        std::copy(row.begin(), row.end(), out.begin() + static_cast<std::ptrdiff_t>(first));
    });
}

void TreeTable::counts(const TableRequest& request, std::span<std::int64_t> out) const {
    if (request.metric != Metric::rf || request.normalised) {
        throw Error(ErrorKind::bad_argument, "whole numbers are Robinson-Foulds counts, not normalised");
    }
    if (std::any_of(state_->numbered.trees.begin(), state_->numbered.trees.end(),
                    [](const rf::TreeEdges& tree) { return !tree.rebuilt; })) {
        throw Error(ErrorKind::bad_argument, "a tree was left out: its distances are NaN, not whole numbers");
    }
    fill_rows(request, out.size(), [out](std::size_t first, std::span<const double> row) {
        std::transform(row.begin(), row.end(), out.begin() + static_cast<std::ptrdiff_t>(first),
                       [](double count) { return static_cast<std::int64_t>(count); });
    });
}

} // namespace rf_compare
