"""Independent answers for the tests: random trees built here, with their
exact path lengths, splits and edge lengths known from the trees
themselves; and the programs rf_pairs and rf_compare run on the same
numbers."""

from __future__ import annotations

import math
import os
import subprocess
from dataclasses import dataclass, field

import numpy as np
import pytest


@dataclass
class RandomTree:
    """Leaves 0..n-1 (leaf numbers 1..n), inner nodes after them."""

    n: int
    edges: dict[int, list[tuple[int, float]]] = field(default_factory=dict)

    def connect(self, a: int, b: int, length: float) -> None:
        self.edges.setdefault(a, []).append((b, length))
        self.edges.setdefault(b, []).append((a, length))

    def path_lengths(self) -> np.ndarray:
        d = np.zeros((self.n, self.n))
        for leaf in range(self.n):
            stack = [(leaf, -1, 0.0)]
            while stack:
                node, parent, length = stack.pop()
                if node < self.n:
                    d[leaf, node] = length
                stack.extend((to, node, length + edge) for to, edge in self.edges[node] if to != parent)
        return d

    def splits(self) -> dict[frozenset, float]:
        """Every edge as the leaf numbers on its side away from leaf 1, with
        its length; inner edges of length 0 are no edges."""
        result: dict[frozenset, float] = {}

        def visit(node: int, parent: int) -> frozenset:
            leaves = frozenset([node + 1]) if node < self.n and node != 0 else frozenset()
            for to, length in self.edges[node]:
                if to != parent:
                    side = visit(to, node)
                    leaves |= side
                    if length != 0.0 or to < self.n or node < self.n:
                        result[side] = length
            return leaves

        visit(0, -1)
        return result

    def newick(self, names: list[str] | None = None) -> str:
        label = (lambda leaf: names[leaf]) if names else (lambda leaf: str(leaf + 1))

        def text(node: int, parent: int) -> str:
            children = [f"{text(to, node)}:{length!r}" for to, length in self.edges[node] if to != parent]
            return label(node) if node < self.n else "(" + ",".join(children) + ")"

        (inner, length), = self.edges[0]
        return f"({label(0)}:{length!r},{','.join(f'{text(to, inner)}:{edge!r}' for to, edge in self.edges[inner] if to != 0)});"


def random_tree(n: int, rng: np.random.Generator, zero_edges: bool = False, star_nodes: bool = False) -> RandomTree:
    """Leaves joined one at a time to the middle of a random edge, or, with
    star_nodes, sometimes to an inner node; lengths in [0.05, 1], some 0."""
    tree = RandomTree(n)
    tree.connect(0, 1, 0.0)
    edge_list = [(0, 1)]
    inner = []
    next_node = n

    def length() -> float:
        return 0.0 if zero_edges and rng.random() < 0.2 else float(rng.uniform(0.05, 1.0))

    for leaf in range(2, n):
        if star_nodes and inner and rng.random() < 0.3:
            node = inner[rng.integers(len(inner))]
            tree.connect(node, leaf, length())
            edge_list.append((node, leaf))
            continue
        a, b = edge_list.pop(rng.integers(len(edge_list)))
        tree.edges[a] = [(to, w) for to, w in tree.edges[a] if to != b]
        tree.edges[b] = [(to, w) for to, w in tree.edges[b] if to != a]
        middle = next_node
        next_node += 1
        inner.append(middle)
        for end in (a, b, leaf):
            tree.connect(middle, end, length())
            edge_list.append((middle, end))
    return tree


def split_distance(a: dict[frozenset, float], b: dict[frozenset, float], metric: str) -> float:
    """Robinson-Foulds, weighted RF or branch score, from the splits."""
    union = set(a) | set(b)
    if metric == "rf":
        return float(len(set(a) ^ set(b)))
    terms = [abs(a.get(s, 0.0) - b.get(s, 0.0)) for s in union]
    return float(sum(terms)) if metric == "wrf" else math.sqrt(sum(t * t for t in terms))


def matrix_file_text(matrices) -> str:
    """Every entry as repr: the file holds the exact doubles."""
    n = len(matrices[0])
    rows = ["\n".join(" ".join(repr(float(x)) for x in row) for row in m) for m in matrices]
    return f"{n}\n" + "\n".join(rows) + "\n"


def rf_pairs_table(path, *arguments) -> list[list[str]]:
    out = subprocess.run([os.environ["RF_PAIRS"], str(path), *arguments], capture_output=True, text=True, check=False)
    assert out.returncode in (0, 3), out.stderr
    return [line.split("\t")[1:] for line in out.stdout.splitlines()[1:]]


def rf_compare_result(folder, matrix_count: int) -> str:
    subprocess.run([os.environ["RF_COMPARE"]], input=f"in.txt out.txt {matrix_count}\n", cwd=folder,
                   capture_output=True, text=True, check=True)
    return (folder / "out.txt").read_text()


@pytest.fixture
def rng() -> np.random.Generator:
    return np.random.default_rng(20261207)
