"""Trees known only as additive distance matrices, rebuilt and compared.

rf_compare rebuilds the tree whose path lengths an additive (tree-metric)
distance matrix records, and compares such trees by the Robinson-Foulds
distance or by distances that weigh the edges by their lengths. It is the
engine of the programs rf_compare and rf_pairs, with the same results, on
NumPy arrays in memory::

    import rf_compare
    table = rf_compare.pairs(rf_compare.read_matrices("trees.txt"), metric="kf")
    print(rf_compare.rebuild(matrix, names=["ant", "bee", "cow", "dog"]).newick())

A matrix is any square array-like of real numbers, n >= 2, read as
entry [i, j] = the distance between leaves i + 1 and j + 1 (the diagonal
is not read but must be finite). It must be a distance matrix: symmetric
to within 1e-4 of its largest entry, no negative entry, and no entry so
large (beyond 1e307 or so) that sums of entries overflow; else ValueError
names the entry.

"Not additive" means what the programs mean: while the tree is rebuilt,
a leaf or an inner node comes out at -0.01 or less (with the default
absolute tolerance) from where the tree so far puts it, so no tree has
these path lengths. A matrix that passes this test need not be a tree
metric: its tree's path lengths may still differ from it (a distance
matrix of an alignment, say). How much is the tree's misfit, the largest
|D[i, j] - path(i, j)|, absolute and relative to the largest entry
(``Tree.misfit``, ``pairs(..., return_misfit=True)``). Beyond 1e-4
relative (exact tree metrics written with six decimals stay below 2e-6)
the tree depends on the order of the leaves, and every call warns once
with a NotTreeMetricWarning::

    >>> d = np.array([[0, 3, 4, 5], [3, 0, 5, 4], [4, 5, 0, 3], [5, 4, 3, 0]])
    >>> rf_compare.rebuild(d).misfit   # 4 + 4 != 5 + 5: no tree metric
    Misfit(absolute=2.0, relative=0.4)

``strict=True`` takes such matrices as not additive instead.

For distances estimated from sequences, which are never exact tree
metrics, ``method="nj"`` builds each tree by neighbor joining (Saitou and
Nei, as ape's nj computes it) and ``method="bionj"`` by Gascuel's BIONJ
(as ape's bionj): a tree for any distance matrix, the same whatever the
order of the leaves, and for a tree metric the additive tree itself.
Inner edges at or below the tolerance's zero (negative ones too) are
merged into polytomies, a negative leaf edge is given length 0, and the
misfit measures the tree so written; no warning is given for such trees.

The tolerance decides which lengths count as zero: "absolute" (the
programs' own 1e-5, and -0.01 for the test above) suits lengths from
about 0.01 to 1e10; "relative" takes 1e-5 and -0.01 of each matrix's
largest entry, so that the unit makes no difference: a matrix of
per-site substitutions (1e-6) and the same times 1e12 give the same
tree and the same RF table; a number gives an absolute tolerance of its
own (and -1000 times it).

Many matrices are a 3-D array (m, n, n), a list of 2-D arrays or any
iterable of them, such as a generator or read_matrices(...), used one
matrix at a time: only the numbers each tree is compared by are kept,
never the matrices. Trees given as trees may stand among them or instead
of them: Tree objects (read_trees(...), Tree.from_newick(...)), Newick
strings, and dendropy Trees. Leaves are matched by name, so the matrices
among trees need names too::

    table = rf_compare.pairs(rf_compare.read_trees("posterior.nex"), metric="kf")
"""

from __future__ import annotations

import itertools
import operator
import os
import warnings
from collections.abc import Iterable, Iterator, Sequence
from typing import Any, Literal, Union

import numpy as np
import numpy.typing as npt

from . import _core
from ._core import Misfit, Tree

__all__ = [
    "Misfit",
    "NotAdditiveError",
    "NotTreeMetricWarning",
    "Tree",
    "first_against_others",
    "pairs",
    "read_matrices",
    "read_trees",
    "rebuild",
]

__version__: str = _core.version()

MatrixLike = npt.ArrayLike
FloatArray = npt.NDArray[np.float64]
Table = Union[npt.NDArray[np.float64], npt.NDArray[np.int64]]
PathName = Union[str, "os.PathLike[str]"]
Metric = Literal["rf", "wrf", "kf"]
FileFormat = Literal["auto", "rf", "phylip", "csv", "tsv"]
WhenNotAdditive = Literal["raise", "nan"]
ToleranceLike = Union[Literal["absolute", "relative"], float]
Method = Literal["additive", "nj", "bionj"]

_WHEN_NOT_ADDITIVE = ("raise", "nan")
_METRICS = ("rf", "wrf", "kf")


class NotAdditiveError(ValueError):
    """A matrix that is not additive: no tree has these path lengths.

    ``index`` is the matrix's position among those given, counted from 0.
    """

    def __init__(self, message: str, index: int) -> None:
        super().__init__(message)
        self.index = index

    def __reduce__(self) -> tuple[type[NotAdditiveError], tuple[str, int]]:  # pickling keeps the index
        return (type(self), (self.args[0], self.index))


class NotTreeMetricWarning(UserWarning):
    """Some matrix is no tree metric: its additive tree's path lengths differ
    from it by more than 1e-4 of its largest entry, and the tree depends on
    the order of the leaves (method="nj" builds trees that do not). Given
    once per call; the results are as they are.
    """


def read_matrices(
    path: Union[PathName, Sequence[PathName]],
    m: int | None = None,
    format: FileFormat = "auto",
) -> Iterator[FloatArray]:
    """Reads matrix files one matrix at a time, as the programs read them.

    The files may be in the programs' own format (n, then matrices of n
    rows of n decimal numbers, separated by any white space; see the
    rf_compare manual), PHYLIP distance matrices (one data set after
    another: square, lower- or upper-triangular, names of 10 characters or
    of one word, rows wrapped over any lines), or delimited text (a header
    row of names, then rows starting with their name, separated by commas,
    semicolons or tabs, as R's write.csv writes; or rows of numbers alone;
    one matrix per file). Every number is converted exactly, to the double
    the programs read; the diagonal reads 0.

    The iterator's ``names`` attribute holds the leaves' names (a tuple,
    the same for every matrix: each matrix comes with its rows and columns
    in the first matrix's order of names) once the first matrix has been
    read; None when the files give no names. Given to pairs() or
    first_against_others() as it is, the files' matrices go to the engine
    without passing through arrays, and their names with them.

    Args:
        path: a matrix file (a pipe or FIFO is read as it arrives), or a
            sequence of them, whose matrices are read in that order.
        m: read this many matrices and nothing after them; without it, every
            matrix of the files.
        format: "auto" (from each file's first lines), "rf", "phylip",
            "csv" or "tsv".

    Returns:
        An iterator of (n, n) float64 arrays, one new array per matrix.

    Raises:
        FileNotFoundError, PermissionError, IsADirectoryError, OSError: a
            file that is not there or cannot be read ("File NAME was not
            found", "File NAME is a folder").
        ValueError: a file that is not as its format has it, with the file,
            the line, what was found and what was expected ("in.txt, line
            3: Bad entry in matrix 1, row 2, column 2: found "x", expected a
            decimal number"); matrices whose names differ.
        MemoryError: "Data matrix is too large".
    """
    paths = [path] if isinstance(path, (str, bytes, os.PathLike)) else list(path)
    return _core.MatrixReader([os.fsencode(p) for p in paths], None if m is None else _whole_number(m, "m"), format)


def read_trees(
    path: Union[PathName, Sequence[PathName]],
    format: Literal["auto", "newick", "nexus"] = "auto",
) -> Iterator[Tree]:
    """Reads tree files one tree at a time.

    Newick files hold one or more trees, each ending in ";", across any
    lines: labels quoted in single quotes or unquoted (an underscore reads
    as a blank), comments in square brackets skipped ("[&R]", annotations),
    inner node labels such as support values ignored, lengths in any
    decimal or exponent form, or none. NEXUS files hold them in a trees
    block ("tree NAME = ...;"), with or without a translate table, as
    Bayesian samplers write them. Every tree must name the same leaves.

    Given to pairs() or first_against_others(), the trees are compared as
    rebuilt trees are: as unrooted splits, a leaf's own edge among them. A
    tree without some edge's length is compared by "rf" only.

    Args:
        path: a tree file, or a sequence of them, read in that order.
        format: "auto" (from each file's first lines: "(" or "[" for
            Newick, "#NEXUS"), "newick" or "nexus".

    Returns:
        An iterator of Tree.

    Raises:
        FileNotFoundError, PermissionError, IsADirectoryError, OSError: a
            file that is not there or cannot be read.
        ValueError: a file that is not as its format has it, with the file,
            the line, the column, what was found and what was expected
            ("trees.nwk, line 2, column 9: found ";", expected "," or ")"
            ..."); a tree whose leaves differ from the first's.
    """
    paths = [path] if isinstance(path, (str, bytes, os.PathLike)) else list(path)
    return _core.TreeReader([os.fsencode(p) for p in paths], format)


def rebuild(
    matrix: MatrixLike,
    names: Sequence[str] | None = None,
    tolerance: ToleranceLike = "absolute",
    strict: bool = False,
    method: Method = "additive",
) -> Tree:
    """Rebuilds the tree whose path lengths the matrix records.

    Args:
        matrix: a square (n, n) array-like of real numbers, n >= 2.
        names: n distinct names for leaves 1..n, used by ``Tree.newick()``
            (quoted there where Newick needs it); without them the leaves
            are named by their numbers, or by a DataFrame's labels.
        tolerance: "absolute", "relative" or a positive number (see the
            package's help).
        strict: a matrix that is no tree metric is not additive.
        method: "additive" (the tree whose path lengths the matrix records,
            as the programs rebuild it), "nj" (neighbor joining) or "bionj"
            (see the package's help).

    Returns:
        The Tree, with ``leaf_count``, ``misfit`` and ``newick()``.

    Raises:
        ValueError: the matrix is not a square distance matrix of finite
            real numbers with n >= 2, or the names are not n distinct
            strings.
        NotAdditiveError: the matrix is not additive (index 0).

    Warns:
        NotTreeMetricWarning: the matrix is no tree metric.
    """
    array, labels = _matrix(matrix if names is None else _Named(matrix, names), None)
    tree = _core.rebuild(array, list(labels or ()), _tolerance(tolerance), _flag(strict, "strict"), _method(method))
    if tree.misfit_warning:
        warnings.warn(tree.misfit_warning + _NJ_HINT, NotTreeMetricWarning, stacklevel=2)
    return tree


def first_against_others(
    matrices: Union[MatrixLike, Iterable[MatrixLike]],
    not_additive: WhenNotAdditive = "raise",
    names: Iterable[Sequence[str] | None] | None = None,
    tolerance: ToleranceLike = "absolute",
    strict: bool = False,
    return_misfit: bool = False,
    metric: Metric = "rf",
    normalised: bool = False,
    threads: int = 0,
    method: Method = "additive",
) -> Any:
    """The distance of the first tree to each of the others.

    With the defaults, what rf_compare writes to its result file: for
    matrices 2..m, the Robinson-Foulds distance, the number of splits found
    in one of the two trees and not in the other.

    Args:
        matrices: a 3-D array (m, n, n), a list of 2-D arrays, any iterable
            of them, or read_matrices(...); trees given as trees among them
            or instead of them (see the package's help); used a batch at a
            time; m >= 1.
        not_additive: "raise" to stop at a matrix that is not additive,
            "nan" to give that tree NaN and compare the others.
        names: for each matrix, its leaves' names in the order of its rows,
            or None (pandas DataFrames and trees bring their own); leaves
            are then matched by name, every matrix put in the first's order.
        tolerance: "absolute", "relative" or a positive number (see the
            package's help).
        strict: a matrix that is no tree metric is not additive.
        return_misfit: also return every tree's misfit.
        metric: "rf", "wrf" or "kf", as in pairs().
        normalised: "rf" only, as in pairs().
        threads: at most this many threads, the caller's included; 0 (the
            default) for every core the process may use. The results never
            depend on it.
        method: how each matrix is made a tree, as in rebuild().

    Returns:
        An (m - 1,) array: int64 for "rf" counts, float64 when normalised,
        for "wrf" and "kf", and with not_additive="nan" (NaN for a tree that
        is not additive, everywhere if the first is not). With
        return_misfit, a pair: that array, and an (m, 2) float64 array of
        each tree's misfit, absolute and relative (NaN for a tree left out).

    Raises:
        ValueError: a matrix that is not a square array of finite real
            numbers with n >= 2, matrices with different n, no matrix at all,
            an unknown value of not_additive or metric.
        NotAdditiveError: with not_additive="raise", the first matrix that is
            not additive, its ``index`` counted from 0.
        KeyboardInterrupt: Ctrl-C, at once, whatever the library is doing.

    Warns:
        NotTreeMetricWarning: some matrix is no tree metric.
    """
    found = _compare(
        _labelled(matrices, names), metric, normalised, not_additive, "first", 0, tolerance, strict, threads, method
    )
    return _answer(found[0][1:], found, return_misfit)


def pairs(
    matrices: Union[MatrixLike, Iterable[MatrixLike]],
    other: Union[MatrixLike, Iterable[MatrixLike], None] = None,
    metric: Metric = "rf",
    normalised: bool = False,
    not_additive: WhenNotAdditive = "raise",
    names: Iterable[Sequence[str] | None] | None = None,
    tolerance: ToleranceLike = "absolute",
    strict: bool = False,
    return_misfit: bool = False,
    condensed: bool = False,
    threads: int = 0,
    other_names: Iterable[Sequence[str] | None] | None = None,
    method: Method = "additive",
) -> Any:
    """The distance of every tree to every other, as rf_pairs writes it.

    For every split (edge) of either tree, a and b are its lengths in the
    two trees, 0 in a tree that lacks it; leaves' own edges are splits too.

    - "rf": Robinson-Foulds, the number of splits found in one tree only.
    - "wrf": weighted Robinson-Foulds, the sum of |a - b|.
    - "kf": Kuhner and Felsenstein's branch score, sqrt(sum of (a - b)^2).

    Args:
        matrices: a 3-D array (m, n, n), a list of 2-D arrays, any iterable
            of them, or read_matrices(...); trees given as trees among them
            or instead of them (see the package's help); used a batch at a
            time and rebuilt on every core; m >= 1.
        other: a second set, given as `matrices` is: the table is then
            every tree of `matrices` against every tree of `other`, (m1, m2).
        metric: "rf", "wrf" or "kf", the names of rf_pairs --metric.
        normalised: "rf" only: each distance divided by its largest possible
            value, the inner edges of both trees together (0 for two stars).
        not_additive: "raise" to stop at a matrix that is not additive,
            "nan" to give that tree's row and column NaN (its diagonal
            cell stays 0, so that the table is still a distance table)
            and compare the others.
        names: for each matrix, its leaves' names in the order of its rows,
            or None (pandas DataFrames and trees bring their own); leaves
            are then matched by name, every matrix put in the first's order.
        tolerance: "absolute", "relative" or a positive number (see the
            package's help).
        strict: a matrix that is no tree metric is not additive.
        return_misfit: also return every tree's misfit.
        condensed: the m(m-1)/2 cells above the diagonal, row by row, as
            scipy.spatial.distance.squareform and scipy.cluster.hierarchy
            take them, without the square table: 8 bytes a cell, so 40 GB
            for m = 100,000 where the square table needs 80 GB.
        threads: at most this many threads, the caller's included; 0 (the
            default) for every core the process may use. The results never
            depend on it.
        other_names: the names of `other`'s matrices, as `names`.
        method: how each matrix is made a tree, as in rebuild().

    Returns:
        An (m, m) symmetric array with a zero diagonal, (m1, m2) with
        `other`, or with condensed=True an (m(m-1)/2,) array: int64 for
        "rf", float64 when normalised, for "wrf" and "kf", and with
        not_additive="nan". With return_misfit, a pair: that array, and an
        (m, 2) float64 array of each tree's misfit, absolute and relative
        (NaN for a tree left out; with `other`, its trees after the first
        set's).

    Raises:
        ValueError: a matrix that is not a square array of finite real
            numbers with n >= 2, matrices with different n, no matrix at all,
            an unknown metric or not_additive, normalised with "wrf" or "kf",
            condensed with `other`.
        NotAdditiveError: with not_additive="raise", the first matrix that is
            not additive, its ``index`` counted from 0 (with `other`, its
            matrices counted after the first set's).
        KeyboardInterrupt: Ctrl-C, at once, whatever the library is doing.

    Warns:
        NotTreeMetricWarning: some matrix is no tree metric.
    """
    if isinstance(other, str) and other in _METRICS:  # pairs(matrices, "kf"): the metric, as before `other` came
        metric, other = other, None  # type: ignore[assignment]
    given = _labelled(matrices, names)
    if other is None:
        rows = "condensed" if _flag(condensed, "condensed") else "all"
        found = _compare(given, metric, normalised, not_additive, rows, 0, tolerance, strict, threads, method)
        if rows == "condensed":
            return _answer(found[0], found, return_misfit)
        m = len(found[1])
        return _answer(found[0].reshape(m, m), found, return_misfit)
    if _flag(condensed, "condensed"):
        raise ValueError("condensed applies to one set of trees, not to two")
    first = list(given)
    both = itertools.chain(first, _labelled(other, other_names))
    found = _compare(both, metric, normalised, not_additive, "across", len(first), tolerance, strict, threads, method)
    m1 = len(first)
    return _answer(found[0].reshape(m1, len(found[1]) - m1), found, return_misfit)


# What follows turns Python's values into what the library takes; the
# library checks the rest and gives the messages.


def _compare(
    given: Iterable[Any],
    metric: str,
    normalised: object,
    not_additive: str,
    rows: str,
    first_set: int,
    tolerance: object,
    strict: object,
    threads: object,
    method: object,
) -> tuple[Table, FloatArray, str]:
    """The library's table of these matrices and trees, their misfits and
    the warning to give."""
    return _core.compare(
        given,
        _item,
        metric,
        _flag(normalised, "normalised"),
        _when_not_additive(not_additive),
        rows,
        first_set,
        _tolerance(tolerance),
        _flag(strict, "strict"),
        _thread_count(threads),
        _method(method),
    )


def _answer(table: Table, found: tuple[Table, FloatArray, str], return_misfit: object) -> Any:
    """The table, and the misfits when asked for, after the warning."""
    if found[2]:
        warnings.warn(found[2] + _NJ_HINT, NotTreeMetricWarning, stacklevel=3)
    return (table, found[1]) if _flag(return_misfit, "return_misfit") else table


# What the warning adds: how to ask for trees that do not depend on the
# order of the leaves.
_NJ_HINT = '; method="nj" builds trees that do not depend on it'


def _method(value: object) -> str:
    return value if isinstance(value, str) else repr(value)


def _tolerance(value: object) -> str | float:
    if isinstance(value, str):
        return value
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, (int, float, np.integer, np.floating)):
        raise ValueError(f"tolerance must be absolute, relative or a positive number, not {value!r}")
    return float(value)


def _when_not_additive(value: str) -> bool:
    if value not in _WHEN_NOT_ADDITIVE:
        raise ValueError(f"not_additive must be 'raise' or 'nan', not {value!r}")
    return value == "nan"


def _flag(value: object, what: str) -> bool:
    if not isinstance(value, (bool, np.bool_)):
        raise ValueError(f"{what} must be True or False, not {value!r}")
    return bool(value)


def _thread_count(value: object) -> int:
    count = _whole_number(value, "threads")
    if count < 0:
        raise ValueError(f"threads must be 0 (every core) or more, not {count}")
    return count


def _whole_number(value: object, what: str) -> int:
    if isinstance(value, (bool, np.bool_)):
        raise ValueError(f"{what} must be a whole number, not {value!r}")
    try:
        return operator.index(value)  # type: ignore[arg-type]  # anything without __index__ is refused here
    except TypeError:
        raise ValueError(f"{what} must be a whole number, not {value!r}") from None


class _Named:
    """A matrix given with its leaves' names."""

    __slots__ = ("matrix", "names")

    def __init__(self, matrix: Any, names: Sequence[str] | None) -> None:
        self.matrix = matrix
        self.names = names


def _labelled(matrices: object, names: Iterable[Sequence[str] | None] | None) -> Iterable[Any]:
    matrices = _matrices(matrices)
    if names is None:
        return matrices
    if isinstance(names, (str, bytes)):
        raise ValueError("names must hold one sequence of names per matrix, not one string")
    return _named_pairs(matrices, names)


def _named_pairs(matrices: Iterable[Any], names: Iterable[Sequence[str] | None]) -> Iterator[_Named]:
    name_lists = iter(names)
    for k, matrix in enumerate(matrices):
        try:
            yield _Named(matrix, next(name_lists))
        except StopIteration:
            raise ValueError(f"names has {k} sequences of names, for more matrices") from None


def _item(value: object, index: int | None) -> tuple[Tree | FloatArray, list[str] | None]:
    """A tree given as a tree (a Tree, a Newick string, a dendropy Tree) as
    a Tree; anything else as a matrix, by _matrix."""
    if isinstance(value, _Named) and value.names is None:  # names=[None, ...]: a tree's, or none
        value = value.matrix
    if isinstance(value, Tree):
        return value, None
    if isinstance(value, str):
        return Tree.from_newick(value), None
    if hasattr(value, "seed_node") and hasattr(value, "as_string"):  # a dendropy Tree, without importing dendropy
        return Tree.from_newick(value.as_string(schema="newick", suppress_rooting=True)), None
    return _matrix(value, index)


def _matrix(value: Any, index: int | None) -> tuple[FloatArray, list[str] | None]:
    """One matrix as a 2-D float64 array (no copy where there is one
    already) and its leaves' names, or None."""
    what = "matrix" if index is None else f"matrices[{index}]"
    names = None
    if isinstance(value, _Named):
        value, names = value.matrix, _leaf_names(value.names, what)
    elif all(hasattr(value, attribute) for attribute in ("index", "columns", "to_numpy")):  # a pandas DataFrame
        columns = [str(label) for label in value.columns]
        rows = [str(label) for label in value.index]
        if sorted(rows) != sorted(columns):
            raise ValueError(f"{what}: its row labels are not its column labels")
        value = value.to_numpy()[[rows.index(label) for label in columns]] if rows != columns else value.to_numpy()
        names = columns
    array: npt.NDArray[Any] | None
    try:
        array = np.asarray(value)
        if array.dtype.kind == "O":  # None would become NaN: named as itself
            missing = [place for place, entry in np.ndenumerate(array) if entry is None]
            if missing:
                raise ValueError(f"{what}{list(missing[0])} is None, not a number")
        if array.dtype.kind not in "biuf":  # bool, integers, reals; not complex, text or objects
            array = array.astype(np.float64) if array.dtype.kind == "O" else None
    except ValueError as error:
        if str(error).startswith(what):
            raise
        raise ValueError(f"{what} is not an array of real numbers: {error}") from None
    except TypeError as error:
        raise ValueError(f"{what} is not an array of real numbers: {error}") from None
    if array is None:
        raise ValueError(f"{what} is not an array of real numbers: dtype {np.asarray(value).dtype}")
    if array.ndim != 2:
        raise ValueError(f"{what} is not 2-dimensional: shape {array.shape}")
    return array.astype(np.float64, copy=False), names


def _matrices(matrices: object) -> Iterable[Any]:
    if isinstance(matrices, np.ndarray) and matrices.ndim != 3 or not isinstance(matrices, Iterable):
        raise ValueError(f"matrices must be a 3-D array or an iterable of 2-D arrays, not {_describe(matrices)}")
    return matrices


def _describe(value: object) -> str:
    shape = getattr(value, "shape", None)
    return f"an array of shape {shape}" if shape is not None else type(value).__name__


def _leaf_names(names: Sequence[str], what: str) -> list[str]:
    if isinstance(names, (str, bytes)):
        raise ValueError(f"the names of {what} must be a sequence of strings, not one string")
    name_list = list(names)
    for name in name_list:
        if not isinstance(name, str):
            raise ValueError(f"the names of {what} must be strings, not {name!r}")
        try:
            name.encode("utf-8")
        except UnicodeEncodeError:
            raise ValueError(f"the names of {what} must be text that UTF-8 can write, not {name!r}") from None
    return name_list
