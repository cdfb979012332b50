# Types of the compiled core; the package rf_compare is its interface.
from collections.abc import Callable, Iterator, Sequence
from typing import Any

import numpy as np
import numpy.typing as npt

def version() -> str: ...

class MatrixReader:
    def __init__(self, path: bytes, count: int | None) -> None: ...
    @property
    def leaf_count(self) -> int: ...
    def __iter__(self) -> Iterator[npt.NDArray[np.float64]]: ...
    def __next__(self) -> npt.NDArray[np.float64] | npt.NDArray[np.int64]: ...

class Misfit:
    """How far a tree's path lengths are from its matrix."""

    @property
    def absolute(self) -> float: ...
    @property
    def relative(self) -> float: ...
    def __iter__(self) -> Iterator[float]: ...

class Tree:
    """A tree rebuilt from an additive distance matrix."""

    @property
    def leaf_count(self) -> int:
        """The number of leaves, n."""
    @property
    def misfit(self) -> Misfit:
        """How far its path lengths are from its matrix."""
    @property
    def misfit_warning(self) -> str:
        """The warning rebuild() gave for it, or ""."""
    def newick(self) -> str:
        """The tree as one line of Newick, as rf_pairs --newick writes it."""

def rebuild(matrix: npt.NDArray[np.float64], names: Sequence[str], tolerance: str | float, strict: bool) -> Tree: ...
def compare(
    matrices: Any,
    convert: Callable[[Any, int], npt.NDArray[np.float64]],
    metric: str,
    normalised: bool,
    mark_not_additive: bool,
    rows: str,
    threads: int,
    tolerance: str | float,
    strict: bool,
) -> tuple[npt.NDArray[np.float64] | npt.NDArray[np.int64], npt.NDArray[np.float64], str]: ...
