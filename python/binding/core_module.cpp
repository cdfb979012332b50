// rf_compare._core: the library's interface as Python sees it, NumPy arrays
// in and out. The package rf_compare checks the arguments and gives the
// messages; this module converts, and lets go of the interpreter while the
// library works, so that other Python threads run meanwhile.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

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

void require_dimensions(const DoubleArray& array, py::ssize_t dimensions) {
    if (array.ndim() != dimensions) {
        throw rf_compare::BadArgument("not " + std::to_string(dimensions) + "-dimensional");
    }
}

// Raises the module's own exception class `name` with (message, index).
void raise_indexed(const char* name, const char* message, std::optional<std::size_t> index) {
    const py::object type = py::module_::import("rf_compare._core").attr(name);
    const py::object argument = index ? py::object(py::int_(*index)) : py::object(py::none());
    PyErr_SetObject(type.ptr(), py::make_tuple(message, argument).ptr());
}

void translate_errors(std::exception_ptr failure) {
    try {
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const rf_compare::FileNotFound& e) {
        PyErr_SetString(PyExc_FileNotFoundError, e.what());
    } catch (const rf_compare::TooLarge& e) {
        PyErr_SetString(PyExc_MemoryError, e.what());
    } catch (const rf_compare::BadInput& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const rf_compare::BadArgument& e) {
        raise_indexed("BadArgument", e.what(), e.matrix);
    } catch (const rf_compare::NotAdditive& e) {
        raise_indexed("NotAdditive", e.what(), e.index);
    }
}

} // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The compiled core of rf_compare; use the package rf_compare instead.";
    m.attr("BadArgument") = py::handle(PyErr_NewException("rf_compare._core.BadArgument", PyExc_ValueError, nullptr));
    m.attr("NotAdditive") = py::handle(PyErr_NewException("rf_compare._core.NotAdditive", PyExc_ValueError, nullptr));
    py::register_exception_translator(translate_errors);

    m.def("version", &rf_compare::version, "The library's version.");

    py::class_<rf_compare::MatrixReader>(m, "MatrixReader", "A matrix file read one matrix at a time.")
        .def(py::init([](const py::bytes& path, std::optional<std::int64_t> count) {
                 const std::string name = path;
                 const py::gil_scoped_release unlocked;
                 return rf_compare::MatrixReader(name, count);
             }),
             py::arg("path"), py::arg("count"))
        .def_property_readonly("leaf_count", &rf_compare::MatrixReader::leaf_count)
        .def(
            "read_next",
            [](rf_compare::MatrixReader& reader) -> std::optional<py::array_t<double>> {
                const py::ssize_t n = reader.leaf_count();
                py::array_t<double> matrix({n, n});
                const std::span<double> cells(matrix.mutable_data(), static_cast<std::size_t>(n * n));
                bool read = false;
                {
                    const py::gil_scoped_release unlocked;
                    read = reader.read_next(cells);
                }
                return read ? std::optional(matrix) : std::nullopt;
            },
            "The next matrix, or None when every matrix has been read.");

    py::class_<rf_compare::Tree>(m, "Tree", "A tree rebuilt from an additive distance matrix.")
        .def_property_readonly("leaf_count", &rf_compare::Tree::leaf_count, "The number of leaves, n.")
        .def("newick", &rf_compare::Tree::newick,
             "The tree as one line of Newick, as rf_pairs --newick writes it: every edge with the length the "
             "reconstruction gave it (at most 12 significant digits), rooted at the inner node next to leaf 1, "
             "which is the root's first child; leaves by number, or by the names the tree was rebuilt with.");

    m.def(
        "rebuild",
        [](const DoubleArray& matrix, std::vector<std::string> names) {
            require_dimensions(matrix, 2);
            const py::gil_scoped_release unlocked;
            return rf_compare::rebuild(view_of(matrix), std::move(names));
        },
        py::arg("matrix"), py::arg("names"));

    py::class_<rf_compare::TreeSet>(m, "TreeSet", "Trees rebuilt from matrices as they come.")
        .def(py::init([](bool mark, bool keep_lengths) {
                 return rf_compare::TreeSet(mark ? rf_compare::WhenNotAdditive::mark : rf_compare::WhenNotAdditive::stop,
                                            keep_lengths);
             }),
             py::arg("mark_not_additive"), py::arg("keep_lengths"))
        .def_property_readonly("size", &rf_compare::TreeSet::size)
        .def(
            "add_all",
            [](rf_compare::TreeSet& set, const std::vector<DoubleArray>& matrices) {
                std::vector<rf_compare::MatrixView> views;
                for (const DoubleArray& matrix : matrices) {
                    require_dimensions(matrix, 2);
                    views.push_back(view_of(matrix));
                }
                const py::gil_scoped_release unlocked;
                set.add_all(views);
            },
            py::arg("matrices"))
        .def(
            "distances",
            [](rf_compare::TreeSet& set, const std::string& metric_name, bool normalised, bool first_row_only) {
                const std::optional<rf_compare::Metric> metric = rf_compare::metric_named(metric_name);
                if (!metric) {
                    throw rf_compare::BadArgument("unknown metric " + metric_name);
                }
                const auto m = static_cast<py::ssize_t>(set.size());
                py::array_t<double> table(first_row_only ? std::min<py::ssize_t>(m, 1) * m : m * m);
                const std::span<double> cells(table.mutable_data(), static_cast<std::size_t>(table.size()));
                {
                    const py::gil_scoped_release unlocked;
                    set.distances(*metric, normalised, first_row_only, cells);
                }
                return table;
            },
            py::arg("metric"), py::arg("normalised"), py::arg("first_row_only"));
}
