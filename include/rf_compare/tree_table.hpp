// Many trees ready to be compared, every one with every other: made by
// TreeSet::finish(), and immutable.
//
// Thread-safety: every function is const; any number of threads may call
// them at once. Errors: rf_compare::Error only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "rf_compare/metric.hpp"
#include "rf_compare/misfit.hpp"

namespace rf_compare {

// Which cells of the table: every tree against every tree, row by row; the
// first tree against every tree (what rf_compare writes, after its 0);
// each tree against the trees after it, row by row: the m(m-1)/2 cells
// above the diagonal, SciPy's condensed form and the order of R's dist; or
// two sets, the first `first_set` trees against the others, row by row.
enum class Rows { all, first, condensed, across };

struct TableRequest {
    Metric metric = Metric::rf;
    // Robinson-Foulds divided by its largest possible value, the inner edges
    // of both trees together (0 for two stars); Metric::rf only.
    bool normalised = false;
    Rows rows = Rows::all;
    // Rows::across: how many trees, the first of the set, are the first set.
    std::size_t first_set = 0;
};

// Throws bad_argument for a request that no table answers: normalised
// with another metric than rf.
void check_request(const TableRequest& request);

class TreeTable {
public:
    TreeTable(TreeTable&&) noexcept;
    TreeTable& operator=(TreeTable&&) noexcept;
    ~TreeTable();

    [[nodiscard]] std::size_t size() const noexcept;
    [[nodiscard]] std::int32_t leaf_count() const noexcept; // 0 when empty

    // The leaves' names, in the order of every tree; empty when none.
    [[nodiscard]] const std::vector<std::string>& names() const noexcept;

    // False for a tree left out, not additive.
    [[nodiscard]] bool rebuilt(std::size_t tree) const noexcept;

    // How far a tree's path lengths are from its matrix; NaN for a tree
    // left out.
    [[nodiscard]] Misfit misfit(std::size_t tree) const noexcept;

    // When some matrix is no tree metric (relative misfit beyond
    // TREE_METRIC_MISFIT), a sentence that says how many, by how much and
    // which is worst, and names a relative tolerance where the matrices'
    // entries are small enough for the absolute one to merge their edges;
    // else empty. For a warning: the tables are as they are.
    [[nodiscard]] std::string misfit_warning() const;

    // How many numbers distances() writes.
    [[nodiscard]] std::size_t cells(const TableRequest& request) const noexcept;

    // The distances, in the order of request.rows, into `out` of
    // cells(request) numbers, 0 on the diagonal, NaN elsewhere
    // where a tree was left out, on the threads the set was allowed.
    // Robinson-Foulds counts are whole numbers. Throws bad_argument for a
    // wrong size of `out`, normalised with another metric than rf, and wrf
    // or kf when the lengths were not kept; cancelled, too_large.
    void distances(const TableRequest& request, std::span<double> out) const;

    // The same for Robinson-Foulds counts (Metric::rf, not normalised) as
    // whole numbers; also bad_argument when a tree was left out, whose
    // distances are NaN.
    void counts(const TableRequest& request, std::span<std::int64_t> out) const;

private:
    friend class TreeSet;
    struct State;
    explicit TreeTable(std::unique_ptr<const State> state) noexcept;
    template <typename Store>
    void fill_rows(const TableRequest& request, std::size_t out_size, const Store& store) const;
    std::unique_ptr<const State> state_;
};

} // namespace rf_compare
