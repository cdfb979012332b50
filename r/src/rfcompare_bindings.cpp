// The library's interface as R sees it. R checks the arguments and gives
// the messages; this converts, and works on R's thread alone: the
// library's own threads never touch R.
#include <Rcpp.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "rf_compare/rf_compare.hpp"

namespace {

// Matrices rebuilt per check for an interrupt: enough to keep every core
// busy, a few milliseconds' work for matrices of a hundred leaves.
constexpr R_xlen_t MATRICES_PER_BATCH = 64;

// R stores a matrix by columns: entry (i, j) at i + j * n.
rf_compare::MatrixView view_of(const Rcpp::NumericMatrix& matrix) {
    const auto n = static_cast<std::int64_t>(matrix.nrow());
    return {matrix.begin(), n, static_cast<std::int64_t>(matrix.ncol()), static_cast<std::int64_t>(sizeof(double)),
            n * static_cast<std::int64_t>(sizeof(double))};
}

// The matrix with its leaves in the given order (1-based, as R's match()
// gives it), in `cells`, by columns.
rf_compare::MatrixView reordered(const Rcpp::NumericMatrix& matrix, const Rcpp::IntegerVector& order,
                                 std::vector<double>& cells) {
    const R_xlen_t n = order.size();
    cells.resize(static_cast<std::size_t>(n * n));
    for (R_xlen_t j = 0; j < n; ++j) {
        for (R_xlen_t i = 0; i < n; ++i) {
            cells[static_cast<std::size_t>(i + j * n)] = matrix(order[i] - 1, order[j] - 1);
        }
    }
    return {cells.data(), n, n, static_cast<std::int64_t>(sizeof(double)), n * static_cast<std::int64_t>(sizeof(double))};
}

} // namespace

// [[Rcpp::export]]
Rcpp::List rfc_read_matrices(std::string path, Rcpp::Nullable<Rcpp::NumericVector> m) {
    std::optional<std::int64_t> count;
    if (m.isNotNull()) {
        count = static_cast<std::int64_t>(Rcpp::NumericVector(m)[0]);
    }
    rf_compare::MatrixReader reader(path, count);
    const std::int32_t n = reader.leaf_count();
    std::vector<double> cells(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    Rcpp::List matrices;
    while (reader.read_next(cells)) {
        Rcpp::NumericMatrix matrix(n, n);
        for (std::int32_t i = 0; i < n; ++i) {
            for (std::int32_t j = 0; j < n; ++j) {
                matrix(i, j) = cells[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)];
            }
        }
        matrices.push_back(matrix);
        Rcpp::checkUserInterrupt();
    }
    return matrices;
}

// The rebuilt tree's edges, as ape's phylo holds them; NULL when the
// matrix is not additive.
// [[Rcpp::export]]
SEXP rfc_rebuild(Rcpp::NumericMatrix d) {
    try {
        const rf_compare::Tree tree = rf_compare::rebuild(view_of(d));
        const std::vector<rf_compare::TreeEdge> edges = tree.edges();
        Rcpp::IntegerMatrix edge(static_cast<int>(edges.size()), 2);
        Rcpp::NumericVector length(static_cast<R_xlen_t>(edges.size()));
        for (std::size_t e = 0; e < edges.size(); ++e) {
            edge(static_cast<int>(e), 0) = edges[e].parent;
            edge(static_cast<int>(e), 1) = edges[e].child;
            length[static_cast<R_xlen_t>(e)] = edges[e].length;
        }
        const int inner = static_cast<int>(edges.size()) - tree.leaf_count() + 1;
        return Rcpp::List::create(Rcpp::Named("edge") = edge, Rcpp::Named("edge.length") = length,
                                  Rcpp::Named("Nnode") = std::max(inner, 1));
    } catch (const rf_compare::NotAdditive&) {
        return R_NilValue;
    }
}

// Every tree against every other (or the first against all): the table by
// rows, or the 1-based number of the first matrix that is not additive.
// `orders`: for each matrix, NULL or the order to put its leaves in.
// [[Rcpp::export]]
Rcpp::List rfc_compare(Rcpp::List matrices, Rcpp::List orders, bool mark_not_additive, std::string metric,
                       bool normalised, bool first_row_only) {
    rf_compare::TreeSet trees(mark_not_additive ? rf_compare::WhenNotAdditive::mark : rf_compare::WhenNotAdditive::stop,
                              metric != "rf");
    std::vector<std::vector<double>> cells(static_cast<std::size_t>(MATRICES_PER_BATCH));
    try {
        for (R_xlen_t first = 0; first < matrices.size(); first += MATRICES_PER_BATCH) {
            const R_xlen_t last = std::min(matrices.size(), first + MATRICES_PER_BATCH);
            std::vector<Rcpp::NumericMatrix> batch;
            std::vector<rf_compare::MatrixView> views;
            for (R_xlen_t k = first; k < last; ++k) {
                batch.emplace_back(matrices[k]);
                views.push_back(Rf_isNull(orders[k]) ? view_of(batch.back())
                                                     : reordered(batch.back(), Rcpp::IntegerVector(orders[k]),
                                                                 cells[static_cast<std::size_t>(k - first)]));
            }
            trees.add_all(views);
            Rcpp::checkUserInterrupt();
        }
    } catch (const rf_compare::NotAdditive& e) {
        return Rcpp::List::create(Rcpp::Named("not_additive") = static_cast<double>(e.index) + 1);
    }
    const auto m = static_cast<R_xlen_t>(trees.size());
    Rcpp::NumericVector table(first_row_only ? std::min<R_xlen_t>(m, 1) * m : m * m);
    trees.distances(*rf_compare::metric_named(metric), normalised, first_row_only, {table.begin(), table.end()});
    return Rcpp::List::create(Rcpp::Named("distances") = table);
}
