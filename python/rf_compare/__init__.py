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
is not read but must be finite). Many matrices are a 3-D array (m, n, n),
a list of 2-D arrays or any iterable of them, such as a generator or
read_matrices(...), used one matrix at a time: only the numbers each tree
is compared by are kept, never the matrices.
"""

from __future__ import annotations

import os
from collections.abc import Iterable, Iterator, Sequence
from typing import Literal, Union

import numpy as np
import numpy.typing as npt

from . import _core
from ._core import Tree

__all__ = [
    "NotAdditiveError",
    "Tree",
    "first_against_others",
    "pairs",
    "read_matrices",
    "rebuild",
]

__version__: str = _core.version()

MatrixLike = npt.ArrayLike
Metric = Literal["rf", "wrf", "kf"]
WhenNotAdditive = Literal["raise", "nan"]

_METRICS = ("rf", "wrf", "kf")
_WHEN_NOT_ADDITIVE = ("raise", "nan")
# Matrices handed to the library at a time, so that every core has work:
# at most this many bytes of them, and never more than one matrix's worth
# when they are large.
_BATCH_BYTES = 32 * 1024 * 1024
_BATCH_MATRICES = 64


class NotAdditiveError(ValueError):
    """A matrix that is not additive: no tree has these path lengths.

    ``index`` is the matrix's position among those given, counted from 0.
    """

    def __init__(self, message: str, index: int) -> None:
        super().__init__(message)
        self.index = index

    def __reduce__(self):  # pickling keeps the index
        return (type(self), (self.args[0], self.index))


def read_matrices(path: Union[str, os.PathLike], m: int | None = None) -> Iterator[np.ndarray]:
    """Reads a matrix file one matrix at a time, as the programs read it.

    The file holds n, then matrices of n rows of n decimal numbers each,
    separated by any white space (see the rf_compare manual). Every number is
    converted exactly, to the double the programs read; the diagonal reads 0.

    Args:
        path: the matrix file (a pipe or FIFO is read as it arrives).
        m: read this many matrices and nothing after them; without it, every
            matrix of the file.

    Returns:
        An iterator of (n, n) float64 arrays, one new array per matrix.

    Raises:
        FileNotFoundError: "File NAME was not found", at once.
        ValueError: "Bad number of objects" (at once), "Bad entry in matrix
            J, row I, column K" for a word that is not a number, "Bad matrix
            number" for a file that ends inside a matrix or before m of them.
        MemoryError: "Data matrix is too large".
    """
    if m is not None:
        m = _whole_number(m, "m")
        if m < 1:
            raise ValueError(f"m must be at least 1, not {m}")
    reader = _core.MatrixReader(os.fsencode(path), m)
    return _matrices_of(reader)


def _matrices_of(reader: _core.MatrixReader) -> Iterator[np.ndarray]:
    while (matrix := reader.read_next()) is not None:
        yield matrix


def rebuild(matrix: MatrixLike, names: Sequence[str] | None = None) -> Tree:
    """Rebuilds the tree whose path lengths the matrix records.

    Args:
        matrix: a square (n, n) array-like of real numbers, n >= 2.
        names: n distinct names for leaves 1..n, used by ``Tree.newick()``
            (quoted there where Newick needs it); without them the leaves
            are named by their numbers.

    Returns:
        The Tree, with ``leaf_count`` and ``newick()``.

    Raises:
        ValueError: the matrix is not a square array of finite real numbers
            with n >= 2, or the names are not n distinct strings.
        NotAdditiveError: the matrix is not additive (index 0).
    """
    array = _as_matrix(matrix, "matrix")
    name_list = _leaf_names(names, array.shape[0])
    try:
        return _core.rebuild(array, name_list)
    except _core.BadArgument as error:
        raise ValueError(f"matrix: {error.args[0]}") from None
    except _core.NotAdditive:
        raise NotAdditiveError("matrix is not an additive distance", 0) from None


def first_against_others(
    matrices: Union[MatrixLike, Iterable[MatrixLike]], not_additive: WhenNotAdditive = "raise"
) -> np.ndarray:
    """The Robinson-Foulds distance of the first tree to each of the others.

    What rf_compare writes to its result file: for matrices 2..m, the number
    of splits found in one of the two trees and not in the other.

    Args:
        matrices: a 3-D array (m, n, n), a list of 2-D arrays, or any
            iterable of them, used one at a time; m >= 1.
        not_additive: "raise" to stop at a matrix that is not additive,
            "nan" to give that tree NaN and compare the others.

    Returns:
        An (m - 1,) array: int64, or float64 with not_additive="nan" (NaN
        for a tree that is not additive, everywhere if the first is not).

    Raises:
        ValueError: a matrix that is not a square array of finite real
            numbers with n >= 2, matrices with different n, no matrix at all,
            an unknown value of not_additive.
        NotAdditiveError: with not_additive="raise", the first matrix that is
            not additive, its ``index`` counted from 0.
    """
    mark = _when_not_additive(not_additive)
    trees = _tree_set(matrices, mark, keep_lengths=False)
    row = trees.distances("rf", False, True)[1:]
    return row if mark else row.astype(np.int64)


def pairs(
    matrices: Union[MatrixLike, Iterable[MatrixLike]],
    metric: Metric = "rf",
    normalised: bool = False,
    not_additive: WhenNotAdditive = "raise",
) -> np.ndarray:
    """The distance of every tree to every other, as rf_pairs writes it.

    For every split (edge) of either tree, a and b are its lengths in the
    two trees, 0 in a tree that lacks it; leaves' own edges are splits too.

    - "rf": Robinson-Foulds, the number of splits found in one tree only.
    - "wrf": weighted Robinson-Foulds, the sum of |a - b|.
    - "kf": Kuhner and Felsenstein's branch score, sqrt(sum of (a - b)^2).

    Args:
        matrices: a 3-D array (m, n, n), a list of 2-D arrays, or any
            iterable of them, used one at a time; m >= 1. A 3-D array is
            rebuilt on every core.
        metric: "rf", "wrf" or "kf", the names of rf_pairs --metric.
        normalised: "rf" only: each distance divided by its largest possible
            value, the inner edges of both trees together (0 for two stars).
        not_additive: "raise" to stop at a matrix that is not additive,
            "nan" to give that tree's row and column NaN and compare the
            others.

    Returns:
        An (m, m) symmetric array with a zero diagonal: int64 for "rf",
        float64 when normalised, for "wrf" and "kf", and with
        not_additive="nan".

    Raises:
        ValueError: a matrix that is not a square array of finite real
            numbers with n >= 2, matrices with different n, no matrix at all,
            an unknown metric or not_additive, normalised with "wrf" or "kf".
        NotAdditiveError: with not_additive="raise", the first matrix that is
            not additive, its ``index`` counted from 0.
    """
    if metric not in _METRICS:
        raise ValueError(f"metric must be 'rf', 'wrf' or 'kf', not {metric!r}")
    if not isinstance(normalised, (bool, np.bool_)):
        raise ValueError(f"normalised must be True or False, not {normalised!r}")
    if normalised and metric != "rf":
        raise ValueError(f"normalised applies to metric 'rf' only: {metric!r} has no largest possible value")
    mark = _when_not_additive(not_additive)
    trees = _tree_set(matrices, mark, keep_lengths=metric != "rf")
    m = trees.size
    table = trees.distances(metric, bool(normalised), False).reshape(m, m)
    return table.astype(np.int64) if metric == "rf" and not normalised and not mark else table


def _when_not_additive(value: str) -> bool:
    if value not in _WHEN_NOT_ADDITIVE:
        raise ValueError(f"not_additive must be 'raise' or 'nan', not {value!r}")
    return value == "nan"


def _whole_number(value, what: str) -> int:
    if isinstance(value, (bool, np.bool_)) or not isinstance(value, (int, np.integer)):
        raise ValueError(f"{what} must be a whole number, not {value!r}")
    return int(value)


def _as_matrix(matrix: MatrixLike, what: str) -> np.ndarray:
    """A 2-D float64 array (no copy where there is one already), checked."""
    array = _as_real_array(matrix, what)
    _check_matrix(array, what)
    return array


def _as_real_array(value: MatrixLike, what: str) -> np.ndarray:
    try:
        array = np.asarray(value)
        if array.dtype.kind not in "biuf":  # bool, integers, reals; not complex, text or objects
            array = array.astype(np.float64) if array.dtype.kind == "O" else None
    except (TypeError, ValueError) as error:
        raise ValueError(f"{what} is not an array of real numbers: {error}") from None
    if array is None:
        raise ValueError(f"{what} is not an array of real numbers: dtype {np.asarray(value).dtype}")
    return array.astype(np.float64, copy=False)


def _check_matrix(array: np.ndarray, what: str) -> None:
    if array.ndim != 2:
        raise ValueError(f"{what} is not 2-dimensional: shape {array.shape}")
    if array.shape[0] != array.shape[1]:
        raise ValueError(f"{what} is not square: shape {array.shape}")
    if array.shape[0] < 2:
        raise ValueError(f"{what} has fewer than 2 leaves: shape {array.shape}")
    finite = np.isfinite(array)
    if not finite.all():
        i, j = np.argwhere(~finite)[0]
        raise ValueError(f"{what}[{i}, {j}] is {array[i, j]}, not a finite number")


def _leaf_names(names: Sequence[str] | None, n: int) -> list[str]:
    if names is None:
        return []
    if isinstance(names, (str, bytes)):
        raise ValueError("names must be a sequence of strings, not one string")
    name_list = list(names)
    if len(name_list) != n:
        raise ValueError(f"{len(name_list)} names for {n} leaves")
    for name in name_list:
        if not isinstance(name, str):
            raise ValueError(f"names must be strings, not {name!r}")
    if len(set(name_list)) != n:
        twice = next(name for k, name in enumerate(name_list) if name in name_list[:k])
        raise ValueError(f"names must be distinct: {twice!r} is given twice")
    return name_list


def _tree_set(matrices, mark: bool, keep_lengths: bool) -> _core.TreeSet:
    """Rebuilds the trees of the matrices, in order, a batch at a time."""
    trees = _core.TreeSet(mark, keep_lengths)
    try:
        if isinstance(matrices, np.ndarray) and matrices.ndim == 3:
            _add_stack(trees, matrices)
        elif isinstance(matrices, (list, tuple)):
            # In memory already: every matrix is checked before any work.
            arrays = [_as_matrix(matrix, f"matrices[{k}]") for k, matrix in enumerate(matrices)]
            _add_in_batches(trees, iter(arrays), checked=True)
        elif isinstance(matrices, np.ndarray) or not isinstance(matrices, Iterable):
            raise ValueError(f"matrices must be a 3-D array or an iterable of 2-D arrays, not {_describe(matrices)}")
        else:
            _add_in_batches(trees, iter(matrices), checked=False)
    except _core.BadArgument as error:
        message, index = error.args
        raise ValueError(message if index is None else f"matrices[{index}]: {message}") from None
    except _core.NotAdditive as error:
        index = error.args[1]
        raise NotAdditiveError(f"matrices[{index}] is not an additive distance", index) from None
    if trees.size == 0:
        raise ValueError("no matrix given")
    return trees


def _describe(value) -> str:
    shape = getattr(value, "shape", None)
    return f"an array of shape {shape}" if shape is not None else type(value).__name__


def _add_stack(trees: _core.TreeSet, stack: np.ndarray) -> None:
    """A 3-D array: checked whole, then rebuilt a slice at a time on every
    core; a slice of another dtype is converted when it is used."""
    if stack.shape[1] != stack.shape[2]:
        raise ValueError(f"matrices are not square: shape {stack.shape}")
    if stack.shape[1] < 2:
        raise ValueError(f"matrices have fewer than 2 leaves: shape {stack.shape}")
    per_batch = max(1, min(_BATCH_MATRICES, _BATCH_BYTES // (8 * stack.shape[1] * stack.shape[2])))
    slices = [slice(first, first + per_batch) for first in range(0, stack.shape[0], per_batch)]
    for part in slices:
        batch = _as_real_array(stack[part], "matrices")
        finite = np.isfinite(batch)
        if not finite.all():
            k, i, j = np.argwhere(~finite)[0]
            raise ValueError(f"matrices[{part.start + k}][{i}, {j}] is {batch[k, i, j]}, not a finite number")
    for part in slices:
        trees.add_all(list(_as_real_array(stack[part], "matrices")))


def _add_in_batches(trees: _core.TreeSet, matrices: Iterator, checked: bool) -> None:
    """Matrices one at a time, handed over a few at a time.

    A batch is rebuilt on every core; it holds at most _BATCH_BYTES of
    matrices, or one matrix when that is larger. A matrix that cannot be
    used is reported after the ones before it, so that the first fault in
    the order of the matrices is the one raised.
    """
    batch: list[np.ndarray] = []
    batch_bytes = 0
    index = 0
    for matrix in matrices:
        try:
            array = matrix if checked else _as_matrix(matrix, f"matrices[{index}]")
        except ValueError:
            _flush(trees, batch)
            raise
        if batch and (batch_bytes + array.nbytes > _BATCH_BYTES or len(batch) == _BATCH_MATRICES):
            _flush(trees, batch)
            batch_bytes = 0
        batch.append(array)
        batch_bytes += array.nbytes
        index += 1
    _flush(trees, batch)


def _flush(trees: _core.TreeSet, batch: list[np.ndarray]) -> None:
    trees.add_all(batch)
    batch.clear()
