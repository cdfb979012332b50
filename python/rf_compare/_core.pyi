# Types of the compiled core; the package rf_compare is its interface.
from collections.abc import Callable, Iterator, Sequence
from typing import Any, Never, final

import numpy as np
import numpy.typing as npt

def version() -> str: ...
@final
class MatrixReader:
    def __init__(self, paths: list[bytes], count: int | None, format: str) -> None: ...
    @property
    def leaf_count(self) -> int: ...
    @property
    def names(self) -> tuple[str, ...] | None: ...
    def __iter__(self) -> MatrixReader: ...
    def __next__(self) -> npt.NDArray[np.float64]: ...
@final
class Misfit:
    """How far a tree's path lengths are from its matrix."""

    def __init__(self, made_by_functions: Never, /) -> None: ...
    @property
    def absolute(self) -> float: ...
    @property
    def relative(self) -> float: ...
    def __iter__(self) -> Iterator[float]: ...
@final
class TreeReader:
    def __init__(self, paths: list[bytes], format: str) -> None: ...
    def __iter__(self) -> TreeReader: ...
    def __next__(self) -> Tree: ...
@final
class Tree:
    """A tree rebuilt from an additive distance matrix, or given as a tree.

    Made by rebuild(), read_trees() and Tree.from_newick(), not by Tree().
    """

    def __init__(self, made_by_functions: Never, /) -> None: ...
    @staticmethod
    def from_newick(text: str) -> Tree:
        """The first tree of Newick text."""
    @property
    def leaf_count(self) -> int:
        """The number of leaves, n."""
    @property
    def has_lengths(self) -> bool:
        """False for a tree given without the length of some edge."""
    @property
    def names(self) -> tuple[str, ...] | None:
        """The leaves' names, leaf 1 first; None for a tree rebuilt without names."""
    @property
    def misfit(self) -> Misfit:
        """How far its path lengths are from its matrix."""
    @property
    def misfit_warning(self) -> str:
        """The warning rebuild() gave for it, or ""."""
    def edges(self) -> tuple[npt.NDArray[np.int32], npt.NDArray[np.int32], npt.NDArray[np.float64]]:
        """Every edge: parent, child and length arrays, ape's numbering."""
    def newick(self) -> str:
        """The tree as one line of Newick, as rf_pairs --newick writes it."""
    def __getstate__(self) -> tuple[int, list[tuple[int, int, float]], list[str], float, float]: ...
    def __setstate__(self, state: tuple[int, list[tuple[int, int, float]], list[str], float, float]) -> None: ...

def rebuild(
    matrix: npt.NDArray[np.float64], names: Sequence[str], tolerance: str | float, strict: bool, method: str
) -> Tree: ...
def compare(
    matrices: Any,
    convert: Callable[[Any, int], tuple[Any, list[str] | None]],
    metric: str,
    normalised: bool,
    mark_not_additive: bool,
    rows: str,
    first_set: int,
    tolerance: str | float,
    strict: bool,
    threads: int,
    method: str,
) -> tuple[npt.NDArray[np.float64] | npt.NDArray[np.int64], npt.NDArray[np.float64], str]: ...
