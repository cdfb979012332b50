// The library's interface as R sees it. It only translates: R's matrices
// into the library's, one at a time as the library asks for them (leaves
// put in the order the package's names give); the library's errors into a
// list the package turns into R's conditions; R's interrupt into the
// library's interruption check. R is touched from R's thread alone: the
// library calls the supply and the check from the calling thread.
#include <Rcpp.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "rf_compare/rf_compare.hpp"

namespace {

// R stores a matrix by columns: entry (i, j) at i + j * n.
rf_compare::MatrixView view_of(const double* cells, R_xlen_t rows, R_xlen_t columns) {
    const auto step = static_cast<std::int64_t>(sizeof(double));
    return {cells, static_cast<std::int64_t>(rows), static_cast<std::int64_t>(columns), step,
            static_cast<std::int64_t>(rows) * step};
}

// The library's error as the package reads it: its kind, where it was
// found (counted from 1, NA where unknown), what was found, and the whole
// message.
Rcpp::List error_list(const rf_compare::Error& e) {
    static const char* const KINDS[] = {"file_not_found", "cannot_read", "bad_input", "bad_argument",
                                        "not_additive",   "too_large",   "cancelled"};
    const auto counted = [](const auto& place) {
        return place ? static_cast<double>(*place) + 1 : NA_REAL;
    };
    const rf_compare::ErrorPlace& place = e.place();
    return Rcpp::List::create(Rcpp::Named("error") = Rcpp::List::create(
                                  Rcpp::Named("kind") = KINDS[static_cast<int>(e.kind())],
                                  Rcpp::Named("matrix") = counted(place.matrix), Rcpp::Named("row") = counted(place.row),
                                  Rcpp::Named("column") = counted(place.column), Rcpp::Named("detail") = e.detail(),
                                  Rcpp::Named("message") = std::string(e.what())));
}

// R's interrupt, asked for without leaving C++ by a long jump.
void check_interrupt(void* /*unused*/) { R_CheckUserInterrupt(); }
bool interrupted() { return R_ToplevelExec(check_interrupt, nullptr) == FALSE; }

// Runs a call of the library: its result, or its error as a list; an
// interrupt goes back to R as R's own.
template <typename Call>
SEXP translated(Call&& call) {
    try {
        return call();
    } catch (const rf_compare::Error& e) {
        if (e.kind() == rf_compare::ErrorKind::cancelled) {
            throw Rcpp::internal::InterruptedException();
        }
        return error_list(e);
    }
}

// An ape phylo's tree: its edges (lengths NaN where it has none) and tip
// labels.
rf_compare::Tree tree_of_phylo(const Rcpp::List& phylo) {
    const Rcpp::IntegerMatrix edge(phylo["edge"]);
    const bool has_lengths = phylo.containsElementNamed("edge.length") && !Rf_isNull(phylo["edge.length"]);
    const Rcpp::NumericVector length = has_lengths ? Rcpp::NumericVector(phylo["edge.length"]) : Rcpp::NumericVector();
    std::vector<rf_compare::TreeEdge> edges;
    edges.reserve(static_cast<std::size_t>(edge.nrow()));
    for (int e = 0; e < edge.nrow(); ++e) {
        const double given = has_lengths && e < length.size() ? length[e] : NA_REAL;
        edges.push_back({edge(e, 0), edge(e, 1), std::isnan(given) ? std::numeric_limits<double>::quiet_NaN() : given});
    }
    return rf_compare::tree_from_edges(edges, Rcpp::as<std::vector<std::string>>(phylo["tip.label"]));
}

// The matrices of an R list, each as doubles, with its leaves' names (NULL
// for none): the library matches the names.
class ListSupply final : public rf_compare::MatrixSupply {
public:
    ListSupply(Rcpp::List matrices, Rcpp::List names) : matrices_(std::move(matrices)), names_(std::move(names)) {}

    std::optional<Matrix> next() override {
        if (next_ == matrices_.size()) {
            return std::nullopt;
        }
        const R_xlen_t k = next_++;
        if (Rf_inherits(matrices_[k], "phylo")) {
            return Matrix{{}, nullptr, {}, tree_of_phylo(Rcpp::List(matrices_[k]))};
        }
        auto held = std::make_shared<Rcpp::NumericMatrix>(matrices_[k]);
        std::vector<std::string> names;
        if (!Rf_isNull(names_[k])) {
            names = Rcpp::as<std::vector<std::string>>(names_[k]);
        }
        return Matrix{view_of(held->begin(), held->nrow(), held->ncol()), held, std::move(names)};
    }

private:
    Rcpp::List matrices_;
    Rcpp::List names_;
    R_xlen_t next_ = 0;
};

// A tree as ape's phylo holds it, less its class, which the package adds.
Rcpp::List phylo_parts(const rf_compare::Tree& tree) {
    const std::vector<rf_compare::TreeEdge> edges = tree.edges();
    Rcpp::IntegerMatrix edge(static_cast<int>(edges.size()), 2);
    Rcpp::NumericVector length(static_cast<R_xlen_t>(edges.size()));
    for (std::size_t e = 0; e < edges.size(); ++e) {
        edge(static_cast<int>(e), 0) = edges[e].parent;
        edge(static_cast<int>(e), 1) = edges[e].child;
        length[static_cast<R_xlen_t>(e)] = edges[e].length;
    }
    const int inner = static_cast<int>(edges.size()) - tree.leaf_count() + 1;
    Rcpp::List parts = Rcpp::List::create(Rcpp::Named("edge") = edge, Rcpp::Named("edge.length") = length,
                                          Rcpp::Named("Nnode") = std::max(inner, 1));
    if (!tree.has_lengths()) {
        parts["edge.length"] = R_NilValue;
    }
    return parts;
}

// "absolute", "relative" or a number: an absolute tolerance.
rf_compare::Tolerance tolerance_of(SEXP given) {
    if (Rf_isString(given)) {
        return rf_compare::tolerance_of(Rcpp::as<std::string>(given));
    }
    return rf_compare::tolerance_of(Rcpp::as<double>(given));
}

Rcpp::NumericVector misfit_vector(const rf_compare::Misfit& misfit) {
    return Rcpp::NumericVector::create(Rcpp::Named("absolute") = misfit.absolute,
                                       Rcpp::Named("relative") = misfit.relative);
}

// Each tree's misfit, one row per tree, NA for a tree left out.
Rcpp::NumericMatrix misfit_matrix(const rf_compare::TreeTable& table) {
    const auto m = static_cast<int>(table.size());
    Rcpp::NumericMatrix misfits(m, 2);
    for (int k = 0; k < m; ++k) {
        const rf_compare::Misfit misfit = table.misfit(static_cast<std::size_t>(k));
        misfits(k, 0) = table.rebuilt(static_cast<std::size_t>(k)) ? misfit.absolute : NA_REAL;
        misfits(k, 1) = table.rebuilt(static_cast<std::size_t>(k)) ? misfit.relative : NA_REAL;
    }
    Rcpp::colnames(misfits) = Rcpp::CharacterVector::create("absolute", "relative");
    return misfits;
}

// The matrices of an array with dim c(n, n, m), read where they are; every
// one has the array's names (NULL for none).
class ArraySupply final : public rf_compare::MatrixSupply {
public:
    ArraySupply(Rcpp::NumericVector cells, Rcpp::List names) : cells_(std::move(cells)), names_(std::move(names)) {
        const Rcpp::IntegerVector dims = cells_.attr("dim");
        rows_ = dims[0];
        columns_ = dims[1];
        count_ = dims[2];
    }

    std::optional<Matrix> next() override {
        if (next_ == count_) {
            return std::nullopt;
        }
        const R_xlen_t k = next_++;
        std::vector<std::string> names;
        if (names_.size() > 0 && !Rf_isNull(names_[0])) {
            names = Rcpp::as<std::vector<std::string>>(names_[0]);
        }
        return Matrix{view_of(cells_.begin() + k * rows_ * columns_, rows_, columns_), nullptr, std::move(names)};
    }

private:
    Rcpp::NumericVector cells_; // held for the whole call
    Rcpp::List names_;
    R_xlen_t rows_ = 0;
    R_xlen_t columns_ = 0;
    R_xlen_t count_ = 0;
    R_xlen_t next_ = 0;
};

} // namespace

// Nothing, or the library's error for a tolerance it cannot take.
// [[Rcpp::export]]
SEXP rfc_check_tolerance(SEXP tolerance) {
    return translated([&]() -> SEXP {
        static_cast<void>(tolerance_of(tolerance));
        return R_NilValue;
    });
}

// The trees of tree files, as phylo parts with their tip labels, or the
// library's error.
// [[Rcpp::export]]
SEXP rfc_read_trees(std::vector<std::string> paths, std::string format) {
    return translated([&]() -> SEXP {
        rf_compare::TreeReader reader(std::move(paths), rf_compare::file_format_named(format).value_or(rf_compare::FileFormat::automatic));
        Rcpp::List trees;
        while (const std::optional<rf_compare::Tree> tree = reader.next()) {
            Rcpp::List parts = phylo_parts(*tree);
            parts["tip.label"] = tree->names();
            trees.push_back(parts);
            Rcpp::checkUserInterrupt();
        }
        return Rcpp::List::create(Rcpp::Named("trees") = trees);
    });
}

// The matrices of matrix files and their leaves' names, or the library's
// error.
// [[Rcpp::export]]
SEXP rfc_read_matrices(std::vector<std::string> paths, Rcpp::Nullable<Rcpp::NumericVector> m, std::string format) {
    return translated([&]() -> SEXP {
        rf_compare::ReadOptions options;
        if (m.isNotNull()) {
            options.count = static_cast<std::int64_t>(Rcpp::NumericVector(m)[0]);
        }
        const std::optional<rf_compare::FileFormat> named = rf_compare::file_format_named(format);
        options.format = named.value_or(rf_compare::FileFormat::automatic);
        rf_compare::MatrixReader reader(std::move(paths), options);
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
        return Rcpp::List::create(Rcpp::Named("matrices") = matrices, Rcpp::Named("names") = reader.names());
    });
}

// The rebuilt tree's edges, as ape's phylo holds them, or the library's
// error.
// [[Rcpp::export]]
SEXP rfc_rebuild(Rcpp::NumericMatrix d, SEXP tolerance, bool strict, std::string method) {
    return translated([&]() -> SEXP {
        const rf_compare::Tree tree = rf_compare::rebuild(view_of(d.begin(), d.nrow(), d.ncol()), {},
                                                          tolerance_of(tolerance), strict,
                                                          rf_compare::rebuild_method_of(method));
        Rcpp::List parts = phylo_parts(tree);
        parts["misfit"] = misfit_vector(tree.misfit());
        parts["warning"] = tree.misfit_warning();
        return parts;
    });
}

// The distances of the first tree to all (`rows` "first"), of every tree
// to the trees after it in the order of a dist ("condensed"), or of the
// first `first_set` trees to the others, row by row ("across"); NA for a
// tree left out;
// each tree's misfit and the warning to give; or the library's error.
// `names`: for each matrix, its leaves' names or NULL.
// [[Rcpp::export]]
SEXP rfc_compare(SEXP matrices, Rcpp::List names, bool mark_not_additive, std::string metric,
                 bool normalised, std::string rows, double first_set, SEXP tolerance, bool strict, double threads,
                 std::string method) {
    return translated([&]() -> SEXP {
        const rf_compare::TableRequest request{*rf_compare::metric_named(metric), normalised,
                                               rows == "first"    ? rf_compare::Rows::first
                                               : rows == "across" ? rf_compare::Rows::across
                                                                  : rf_compare::Rows::condensed,
                                               static_cast<std::size_t>(first_set)};
        rf_compare::check_request(request);
        rf_compare::SetOptions options;
        options.when_not_additive =
            mark_not_additive ? rf_compare::WhenNotAdditive::mark : rf_compare::WhenNotAdditive::stop;
        options.keep_lengths = request.metric != rf_compare::Metric::rf;
        options.tolerance = tolerance_of(tolerance);
        options.strict = strict;
        options.method = rf_compare::rebuild_method_of(method);
        options.threads = static_cast<std::size_t>(threads);
        options.interrupted = interrupted;
        rf_compare::TreeSet trees(options);
        if (Rf_isArray(matrices) && Rf_length(Rf_getAttrib(matrices, R_DimSymbol)) == 3) {
            ArraySupply supply(matrices, names);
            trees.add_all(supply);
        } else {
            ListSupply supply(matrices, names);
            trees.add_all(supply);
        }
        const rf_compare::TreeTable table = trees.finish();
        Rcpp::NumericVector cells(Rcpp::no_init(static_cast<R_xlen_t>(table.cells(request))));
        table.distances(request, {cells.begin(), cells.end()});
        for (double& cell : cells) {
            cell = std::isnan(cell) ? NA_REAL : cell; // R's missing value, not NaN
        }
        return Rcpp::List::create(Rcpp::Named("distances") = cells, Rcpp::Named("misfit") = misfit_matrix(table),
                                  Rcpp::Named("warning") = table.misfit_warning());
    });
}
