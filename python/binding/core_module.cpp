// rf_compare._core: the library's interface as Python sees it. It only
// translates: Python objects into matrices, one at a time as the library
// asks for them; the library's errors into Python's exceptions, in one
// place; Ctrl-C into the library's interruption check. It lets go of the
// interpreter while the library works, so that other Python threads run
// meanwhile, and touches Python only from the calling thread.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "rf_compare/rf_compare.hpp"

namespace py = pybind11;

namespace {

using DoubleArray = py::array_t<double, py::array::forcecast>;

// A 2-D array's entries in any memory order: NumPy's strides are in bytes,
// as a view's steps.
rf_compare::MatrixView view_of(const DoubleArray& matrix) {
    return {matrix.data(), matrix.shape(0), matrix.shape(1), matrix.strides(0), matrix.strides(1)};
}

// The OSError subclass Python raises for a system error number.
PyObject* os_error_for(int number) {
    switch (number) {
    case ENOENT:
    case ENOTDIR:
        return PyExc_FileNotFoundError;
    case EACCES:
    case EPERM:
        return PyExc_PermissionError;
    case EISDIR:
        return PyExc_IsADirectoryError;
    default:
        return PyExc_OSError;
    }
}

// The library's errors as Python's exceptions.
void translate_errors(std::exception_ptr failure) {
    try {
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const rf_compare::Error& e) {
        switch (e.kind()) {
        case rf_compare::ErrorKind::file_not_found:
        case rf_compare::ErrorKind::cannot_read:
            PyErr_SetString(os_error_for(e.system_error()), e.what());
            return;
        case rf_compare::ErrorKind::too_large:
            PyErr_SetString(PyExc_MemoryError, e.what());
            return;
        case rf_compare::ErrorKind::not_additive: {
            const py::object type = py::module_::import("rf_compare").attr("NotAdditiveError");
            const py::object error = type(e.what(), e.place().matrix.value_or(0));
            PyErr_SetObject(type.ptr(), error.ptr());
            return;
        }
        case rf_compare::ErrorKind::cancelled:
            if (PyErr_Occurred() == nullptr) { // the check left Ctrl-C's exception to raise
                PyErr_SetNone(PyExc_KeyboardInterrupt);
            }
            return;
        case rf_compare::ErrorKind::bad_input:
        case rf_compare::ErrorKind::bad_argument:
            break;
        }
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const std::bad_alloc&) { // the binding's own allocations
        PyErr_SetString(PyExc_MemoryError, "not enough memory");
    }
}

// Ctrl-C, as the library asks for it: Python's signal handlers run, and a
// KeyboardInterrupt they raise stays set for translate_errors to find.
bool interrupted() {
    const py::gil_scoped_acquire held;
    return PyErr_CheckSignals() != 0;
}

// An array the library reads, let go of with the interpreter held,
// whichever way the library drops it.
class HeldArray {
public:
    explicit HeldArray(DoubleArray array) : array_(std::move(array)) {}
    HeldArray(const HeldArray&) = delete;
    HeldArray& operator=(const HeldArray&) = delete;
    ~HeldArray() {
        const py::gil_scoped_acquire held;
        array_.release().dec_ref();
    }

private:
    DoubleArray array_;
};

// Any iterable of matrices, each made a float64 array and its leaves' names
// (or None) by the package's own conversion when the library asks for it.
class IterableSupply final : public rf_compare::MatrixSupply {
public:
    IterableSupply(const py::iterable& matrices, py::function convert)
        : iterator_(py::iter(matrices)), convert_(std::move(convert)) {}
    IterableSupply(const IterableSupply&) = delete;
    IterableSupply& operator=(const IterableSupply&) = delete;
    ~IterableSupply() override {
        const py::gil_scoped_acquire held;
        iterator_.release().dec_ref();
        convert_.release().dec_ref();
    }

    std::optional<Matrix> next() override {
        const py::gil_scoped_acquire held;
        if (iterator_ == py::iterator::sentinel()) {
            return std::nullopt;
        }
        const auto item = py::reinterpret_borrow<py::object>(*iterator_);
        const auto converted = py::cast<py::tuple>(convert_(item, index_++));
        if (py::isinstance<rf_compare::Tree>(converted[0])) { // a tree given as a tree
            ++iterator_;
            return Matrix{{}, nullptr, {}, converted[0].cast<rf_compare::Tree>()};
        }
        auto array = py::cast<DoubleArray>(converted[0]);
        std::vector<std::string> names;
        if (!converted[1].is_none()) {
            names = py::cast<std::vector<std::string>>(converted[1]);
        }
        ++iterator_;
        const rf_compare::MatrixView view = view_of(array);
        return Matrix{view, std::make_shared<HeldArray>(std::move(array)), std::move(names)};
    }

private:
    py::iterator iterator_;
    py::function convert_;
    std::size_t index_ = 0;
};

rf_compare::Metric metric_of(const std::string& name) {
    const std::optional<rf_compare::Metric> metric = rf_compare::metric_named(name);
    if (!metric) {
        throw rf_compare::Error(rf_compare::ErrorKind::bad_argument,
                                "metric must be 'rf', 'wrf' or 'kf', not '" + name + "'");
    }
    return *metric;
}

// "absolute", "relative" or a number: an absolute tolerance.
rf_compare::Tolerance tolerance_of(const py::object& given) {
    if (py::isinstance<py::str>(given)) {
        return rf_compare::tolerance_of(given.cast<std::string>());
    }
    return rf_compare::tolerance_of(given.cast<double>());
}

// Each tree's misfit, absolute and relative, as an (m, 2) array; NaN for a
// tree left out.
py::array_t<double> misfits_of(const rf_compare::TreeTable& table) {
    const auto m = static_cast<py::ssize_t>(table.size());
    py::array_t<double> misfits({m, py::ssize_t{2}});
    auto cells = misfits.mutable_unchecked<2>();
    for (py::ssize_t k = 0; k < m; ++k) {
        const rf_compare::Misfit misfit = table.misfit(static_cast<std::size_t>(k));
        cells(k, 0) = misfit.absolute;
        cells(k, 1) = misfit.relative;
    }
    return misfits;
}

// The trees of the matrices, compared: the cells `rows` asks for ("all",
// "first" or "condensed"), whole numbers for Robinson-Foulds counts of
// trees that were all rebuilt; each tree's misfit; the warning to give,
// or "".
py::tuple compare(const py::object& matrices, const py::function& convert, const std::string& metric_name,
                  bool normalised, bool mark_not_additive, const std::string& rows, std::size_t first_set,
                  const py::object& tolerance, bool strict, std::size_t threads, const std::string& method) {
    const rf_compare::TableRequest request{metric_of(metric_name), normalised,
                                           rows == "first"       ? rf_compare::Rows::first
                                           : rows == "condensed" ? rf_compare::Rows::condensed
                                           : rows == "across"    ? rf_compare::Rows::across
                                                                 : rf_compare::Rows::all,
                                           first_set};
    rf_compare::check_request(request);
    rf_compare::SetOptions options;
    options.when_not_additive =
        mark_not_additive ? rf_compare::WhenNotAdditive::mark : rf_compare::WhenNotAdditive::stop;
    options.keep_lengths = request.metric != rf_compare::Metric::rf;
    options.threads = threads;
    options.tolerance = tolerance_of(tolerance);
    options.strict = strict;
    options.method = rf_compare::rebuild_method_of(method);
    options.interrupted = interrupted;
    rf_compare::TreeSet trees(options);
    std::optional<rf_compare::TreeTable> table;
    if (py::isinstance<rf_compare::MatrixReader>(matrices)) {
        auto& reader = matrices.cast<rf_compare::MatrixReader&>();
        const py::gil_scoped_release unlocked;
        trees.add_all(reader); // straight from the file, no array in between
        table.emplace(trees.finish());
    } else {
        IterableSupply supply(matrices, convert);
        const py::gil_scoped_release unlocked;
        trees.add_all(supply);
        table.emplace(trees.finish());
    }
    if (table->size() == 0) {
        throw rf_compare::Error(rf_compare::ErrorKind::bad_argument, "no matrix given");
    }
    const auto size = static_cast<py::ssize_t>(table->cells(request));
    const py::tuple extra = py::make_tuple(misfits_of(*table), table->misfit_warning());
    if (request.metric == rf_compare::Metric::rf && !normalised && !mark_not_additive) {
        py::array_t<std::int64_t> counts(size);
        const std::span<std::int64_t> out(counts.mutable_data(), static_cast<std::size_t>(size));
        {
            const py::gil_scoped_release unlocked;
            table->counts(request, out);
        }
        return py::make_tuple(counts, extra[0], extra[1]);
    }
    py::array_t<double> cells(size);
    const std::span<double> out(cells.mutable_data(), static_cast<std::size_t>(size));
    {
        const py::gil_scoped_release unlocked;
        table->distances(request, out);
    }
    return py::make_tuple(cells, extra[0], extra[1]);
}

// The leaves' names, or None.
py::object names_of(const rf_compare::Tree& tree) {
    if (tree.names().empty()) {
        return py::none();
    }
    return py::tuple(py::cast(tree.names()));
}

py::tuple edge_arrays(const rf_compare::Tree& tree) {
    const std::vector<rf_compare::TreeEdge> edges = tree.edges();
    const auto count = static_cast<py::ssize_t>(edges.size());
    py::array_t<std::int32_t> parent(count);
    py::array_t<std::int32_t> child(count);
    py::array_t<double> length(count);
    for (py::ssize_t e = 0; e < count; ++e) {
        const rf_compare::TreeEdge& edge = edges[static_cast<std::size_t>(e)];
        parent.mutable_at(e) = edge.parent;
        child.mutable_at(e) = edge.child;
        length.mutable_at(e) = edge.length;
    }
    return py::make_tuple(parent, child, length);
}

// "Tree(4 leaves: (a:1,b:1,(c:1,d:1):1);)", the Newick line cut to 60
// characters.
std::string repr_of(const rf_compare::Tree& tree) {
    std::string line = tree.newick();
    if (line.size() > 60) {
        line = line.substr(0, 57) + "...";
    }
    return "Tree(" + std::to_string(tree.leaf_count()) + " leaves: " + line + ")";
}

// A pickle's state: every edge and length exactly, the names, the misfit.
py::tuple state_of(const rf_compare::Tree& tree) {
    const std::vector<rf_compare::TreeEdge> edges = tree.edges();
    py::list parts;
    for (const rf_compare::TreeEdge& edge : edges) {
        parts.append(py::make_tuple(edge.parent, edge.child, edge.length));
    }
    return py::make_tuple(tree.leaf_count(), parts, tree.names(), tree.misfit().absolute, tree.misfit().relative);
}

rf_compare::Tree tree_of_state(const py::tuple& state) {
    if (state.size() != 5) {
        throw rf_compare::Error(rf_compare::ErrorKind::bad_argument, "not the state of a pickled Tree");
    }
    std::vector<rf_compare::TreeEdge> edges;
    for (const py::handle part : state[1].cast<py::list>()) {
        const auto edge = part.cast<py::tuple>();
        edges.push_back({edge[0].cast<std::int32_t>(), edge[1].cast<std::int32_t>(), edge[2].cast<double>()});
    }
    return rf_compare::restored_tree(edges, state[0].cast<std::int32_t>(), state[2].cast<std::vector<std::string>>(),
                                     {state[3].cast<double>(), state[4].cast<double>()});
}

} // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The compiled core of rf_compare; use the package rf_compare instead.";
    py::register_exception_translator(translate_errors);

    m.def("version", &rf_compare::version, "The library's version.");

    py::class_<rf_compare::MatrixReader>(m, "MatrixReader", "A matrix file read one matrix at a time.")
        .def(py::init([](const std::vector<py::bytes>& paths, std::optional<std::int64_t> count, const std::string& format) {
                 const std::optional<rf_compare::FileFormat> named = rf_compare::file_format_named(format);
                 if (!named) {
                     throw rf_compare::Error(rf_compare::ErrorKind::bad_argument,
                                             "format must be 'auto', 'rf', 'phylip', 'csv' or 'tsv', not '" + format + "'");
                 }
                 std::vector<std::string> names(paths.begin(), paths.end());
                 const py::gil_scoped_release unlocked;
                 return rf_compare::MatrixReader(std::move(names), {count, *named, {}, 0});
             }),
             py::arg("paths"), py::arg("count"), py::arg("format"))
        .def_property_readonly("leaf_count", &rf_compare::MatrixReader::leaf_count)
        .def_property_readonly(
            "names",
            [](const rf_compare::MatrixReader& reader) -> std::optional<py::tuple> {
                if (reader.names().empty()) {
                    return std::nullopt;
                }
                return py::tuple(py::cast(reader.names()));
            },
            "The leaves' names, the same for every matrix (each comes in the first's order), once the first matrix "
            "has been read; None when the files give none.")
        .def("__iter__", [](rf_compare::MatrixReader& reader) -> rf_compare::MatrixReader& { return reader; })
        .def("__next__", [](rf_compare::MatrixReader& reader) {
            const py::ssize_t n = reader.leaf_count();
            py::array_t<double> matrix({n, n});
            const std::span<double> cells(matrix.mutable_data(), static_cast<std::size_t>(n * n));
            bool read = false;
            {
                const py::gil_scoped_release unlocked;
                read = reader.read_next(cells);
            }
            if (!read) {
                throw py::stop_iteration();
            }
            return matrix;
        });

    py::class_<rf_compare::Misfit>(m, "Misfit",
                                   "How far a tree's path lengths are from its matrix: the largest |D[i, j] - "
                                   "path(i, j)| (absolute), and that over the matrix's largest entry (relative).")
        .def_readonly("absolute", &rf_compare::Misfit::absolute)
        .def_readonly("relative", &rf_compare::Misfit::relative)
        .def("__iter__", [](const rf_compare::Misfit& misfit) {
            return py::iter(py::make_tuple(misfit.absolute, misfit.relative));
        })
        .def("__repr__", [](const rf_compare::Misfit& misfit) {
            return "Misfit(absolute=" + py::repr(py::float_(misfit.absolute)).cast<std::string>() +
                   ", relative=" + py::repr(py::float_(misfit.relative)).cast<std::string>() + ")";
        });

    py::class_<rf_compare::TreeReader>(m, "TreeReader", "Tree files read one tree at a time.")
        .def(py::init([](const std::vector<py::bytes>& paths, const std::string& format) {
                 const std::optional<rf_compare::FileFormat> named = rf_compare::file_format_named(format);
                 if (!named || !(*named == rf_compare::FileFormat::automatic || rf_compare::holds_trees(*named))) {
                     throw rf_compare::Error(rf_compare::ErrorKind::bad_argument,
                                             "format must be 'auto', 'newick' or 'nexus', not '" + format + "'");
                 }
                 std::vector<std::string> names(paths.begin(), paths.end());
                 const py::gil_scoped_release unlocked;
                 return rf_compare::TreeReader(std::move(names), *named);
             }),
             py::arg("paths"), py::arg("format"))
        .def("__iter__", [](rf_compare::TreeReader& reader) -> rf_compare::TreeReader& { return reader; })
        .def("__next__", [](rf_compare::TreeReader& reader) {
            std::optional<rf_compare::Tree> tree;
            {
                const py::gil_scoped_release unlocked;
                tree = reader.next();
            }
            if (!tree) {
                throw py::stop_iteration();
            }
            return *tree;
        });

    py::class_<rf_compare::Tree>(m, "Tree", "A tree rebuilt from an additive distance matrix, or given as a tree.")
        .def_static("from_newick", &rf_compare::tree_from_newick, py::arg("text"),
                    "The first tree of Newick text, such as '((a:1,b:1):2,c:3);': its leaves named as the text names "
                    "them, in that order.")
        .def_property_readonly("leaf_count", &rf_compare::Tree::leaf_count, "The number of leaves, n.")
        .def_property_readonly("has_lengths", &rf_compare::Tree::has_lengths,
                               "False for a tree given without the length of some edge: it is compared by 'rf' only.")
        .def_property_readonly("names", &names_of,
                               "The leaves' names, leaf 1 first (a tuple); None for a tree rebuilt without names.")
        .def("edges", &edge_arrays,
             "Every edge as three arrays: parent and child (int32) and length (float64, NaN where a tree was given "
             "without one). Nodes are numbered as R's ape numbers them: leaves 1..n (leaf k named names[k - 1]), "
             "inner nodes from n + 1, n + 1 being the root, the inner node next to leaf 1; the edges come in the "
             "order of the Newick line, a parent before its children.")
        .def("__repr__", &repr_of)
        .def(py::pickle(&state_of, &tree_of_state))
        .def_property_readonly("misfit", &rf_compare::Tree::misfit,
                               "How far its path lengths are from its matrix: a Misfit (absolute, relative); "
                               "relative above 1e-4 means the matrix is no tree metric.")
        .def_property_readonly("misfit_warning", &rf_compare::Tree::misfit_warning,
                               "The warning rebuild() gave for it, or \"\".")
        .def("newick", &rf_compare::Tree::newick,
             "The tree as one line of Newick, as rf_pairs --newick writes it: every edge with the length the "
             "reconstruction gave it (at most 12 significant digits), rooted at the inner node next to leaf 1, "
             "which is the root's first child; leaves by number, or by the names the tree was rebuilt with.");

    m.def(
        "rebuild",
        [](const DoubleArray& matrix, std::vector<std::string> names, const py::object& tolerance, bool strict,
           const std::string& method) {
            const rf_compare::MatrixView view = view_of(matrix);
            const rf_compare::Tolerance judged_by = tolerance_of(tolerance);
            const rf_compare::RebuildMethod made_by = rf_compare::rebuild_method_of(method);
            const py::gil_scoped_release unlocked;
            return rf_compare::rebuild(view, std::move(names), judged_by, strict, made_by);
        },
        py::arg("matrix"), py::arg("names"), py::arg("tolerance"), py::arg("strict"), py::arg("method"));

    m.def("compare", &compare, py::arg("matrices"), py::arg("convert"), py::arg("metric"), py::arg("normalised"),
          py::arg("mark_not_additive"), py::arg("rows"), py::arg("first_set"), py::arg("tolerance"), py::arg("strict"),
          py::arg("threads"), py::arg("method"));
}
