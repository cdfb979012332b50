# SPDX-License-Identifier: MIT
"""Neighbor joining and BIONJ from Python against ape (through Rscript and
tests/ape_joining.R) on noisy matrices, and against the additive rebuild on
exact tree metrics."""

import pathlib
import shutil
import subprocess
import warnings

import numpy as np
import pytest

import rf_compare
from conftest import random_tree

APE_JOINING = pathlib.Path(__file__).resolve().parents[2] / "tests" / "ape_joining.R"


def shape(tree):
    """The splits (leaves away from leaf 1) of a Tree's inner edges, and its path lengths."""
    parent, child, length = tree.edges()
    n = tree.leaf_count
    adjacent = {}
    for p, c, w in zip(parent, child, length):
        adjacent.setdefault(int(p), []).append((int(c), float(w)))
        adjacent.setdefault(int(c), []).append((int(p), float(w)))
    paths = np.zeros((n, n))
    for leaf in range(1, n + 1):
        stack, seen = [(leaf, 0.0)], {leaf}
        while stack:
            v, depth = stack.pop()
            if v <= n:
                paths[leaf - 1, v - 1] = depth
            for w, l in adjacent[v]:
                if w not in seen:
                    seen.add(w)
                    stack.append((w, depth + l))
    children = {}
    for p, c in zip(parent, child):
        children.setdefault(int(p), []).append(int(c))
    splits = set()
    for c in child:
        if int(c) > n:
            leaves, stack = set(), [int(c)]
            while stack:
                v = stack.pop()
                if v <= n:
                    leaves.add(v)
                stack.extend(children.get(v, []))
            splits.add(frozenset(leaves) if 1 not in leaves else frozenset(range(1, n + 1)) - leaves)
    return splits, paths


def ape_trees(matrices, folder):
    """ape's NJ and BIONJ trees (splits and path lengths), Gascuel's BIONJ
    in doubles with the closer pair joined last, and which ape's BIONJ is."""
    with open(folder / "matrices.txt", "w") as out:
        for d in matrices:
            out.write(f"{len(d)}\n")
            out.write("\n".join(" ".join(repr(float(x)) for x in row) for row in d) + "\n")
    subprocess.run(["Rscript", str(APE_JOINING), str(folder / "matrices.txt"), str(folder / "trees.txt")], check=True)
    trees = [{} for _ in matrices]
    lines = (folder / "trees.txt").read_text().splitlines()
    at = 0
    while at < len(lines):
        word, k, what = lines[at].split()[:3]
        k = int(k) - 1
        at += 1
        if word == "ape-bionj":
            trees[k]["choice"] = what
            continue
        n = len(matrices[k])
        paths = np.array([[float(x) for x in line.split()] for line in lines[at : at + n]])
        at += n
        splits = set()
        while at < len(lines) and lines[at].startswith("split"):
            splits.add(frozenset(int(x) for x in lines[at].split()[1:]))
            at += 1
        trees[k][what] = (splits, paths)
    return trees


def noisy(rng, n, noise):
    d = random_tree(n, rng).path_lengths()
    factor = np.triu(1.0 + noise * rng.standard_normal((n, n)), 1)
    return d * np.maximum(factor + factor.T, 0.01) * (1 - np.eye(n))


@pytest.mark.skipif(shutil.which("Rscript") is None, reason="needs Rscript with ape")
def test_neighbor_joining_and_bionj_are_apes(tmp_path):
    rng = np.random.default_rng(33)
    matrices = [noisy(rng, int(rng.integers(4, 30)), 0.02) for _ in range(25)]
    ape = ape_trees(matrices, tmp_path)
    same_last_join = 0
    for d, theirs in zip(matrices, ape):
        splits, paths = shape(rf_compare.rebuild(d, method="nj"))
        assert splits == theirs["nj"][0]
        np.testing.assert_allclose(paths, theirs["nj"][1], rtol=1e-6)
        splits, paths = shape(rf_compare.rebuild(d, method="bionj"))
        assert splits == theirs["bionj"][0]
        np.testing.assert_allclose(paths, theirs["bionj-closer"][1], rtol=1e-9)
        assert theirs["choice"] != "neither"
        if theirs["choice"] == "closer":
            np.testing.assert_allclose(paths, theirs["bionj"][1], rtol=1e-5)
            same_last_join += 1
    assert same_last_join > 3


@pytest.mark.parametrize("method", ["nj", "bionj"])
def test_a_tree_metric_gives_the_additive_tree(method):
    rng = np.random.default_rng(34)
    for _ in range(20):
        d = random_tree(int(rng.integers(3, 40)), rng, star_nodes=True).path_lengths()
        additive = rf_compare.rebuild(d)
        joined = rf_compare.rebuild(d, method=method)
        assert shape(joined)[0] == shape(additive)[0]
        np.testing.assert_allclose(shape(joined)[1], shape(additive)[1], rtol=1e-9, atol=1e-12)
        assert rf_compare.pairs([d, d], method=method, metric="kf")[0, 1] == 0.0


def test_the_warning_names_the_method_and_none_comes_with_it():
    d = np.array([[0, 3, 4, 5], [3, 0, 5, 4], [4, 5, 0, 3], [5, 4, 3, 0]])
    with pytest.warns(rf_compare.NotTreeMetricWarning, match='method="nj" builds trees'):
        rf_compare.rebuild(d)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        tree = rf_compare.rebuild(d, method="nj")
        table, misfit = rf_compare.pairs([d, d], method="bionj", return_misfit=True)
        distances = rf_compare.first_against_others([d, d], method="nj")
    assert tree.misfit.relative == pytest.approx(0.1)
    assert table[0, 1] == 0 and distances[0] == 0 and misfit[0, 1] == pytest.approx(0.1)
    with pytest.raises(ValueError, match='method must be additive, nj or bionj, not "upgma"'):
        rf_compare.rebuild(d, method="upgma")
