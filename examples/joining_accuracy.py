# SPDX-License-Identifier: MIT
"""Draws examples/joining_accuracy.png: how far the trees of simulated
alignments are from the tree the sequences evolved on, rebuilt additively,
by neighbor joining and by BIONJ, for alignments of 100 to 3,200 sites
(24 sequences evolved as in make_bootstrap_example.py, Jukes and Cantor's
distances, 40 alignments per length). Needs the Python module
(PYTHONPATH=build/python) and matplotlib.
    python3 examples/joining_accuracy.py
"""

import pathlib
import warnings

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402 - after choosing the backend
import numpy as np  # noqa: E402

import rf_compare  # noqa: E402
from make_bootstrap_example import evolve, newick, random_tree  # noqa: E402 - beside this file

TAXA, ALIGNMENTS = 24, 40
LENGTHS = [100, 200, 400, 800, 1600, 3200]
METHODS = {"additive": "additive (rf_compare's)", "nj": "neighbor joining", "bionj": "BIONJ"}
NAMES = [f"s{k + 1:02d}" for k in range(TAXA)]


def simulated(rng, sites):
    """The true tree as Newick, and the Jukes-Cantor distances of sequences evolved along it."""
    edges, root = random_tree(rng, TAXA, longest=0.3)
    leaves = np.array(evolve(edges, root, rng, sites))
    p = (leaves[:, None, :] != leaves[None, :, :]).mean(axis=2)
    d = -0.75 * np.log(np.maximum(1.0 - 4.0 * p / 3.0, 1e-5))
    return newick(edges, root), d


def main():
    warnings.simplefilter("ignore", rf_compare.NotTreeMetricWarning)  # every additive tree here is one
    rng = np.random.default_rng(20261209)
    distance = {m: [] for m in METHODS}
    rejected = []
    for sites in LENGTHS:
        found = {m: [] for m in METHODS}
        for _ in range(ALIGNMENTS):
            true, d = simulated(rng, sites)
            tree = rf_compare.Tree.from_newick(true)
            for method in METHODS:
                row = rf_compare.first_against_others(
                    [tree, d], names=[None, NAMES], not_additive="nan", normalised=True, method=method)
                found[method].append(row[0])
        for method in METHODS:
            values = np.array(found[method])
            distance[method].append(np.nanmean(values) if np.isfinite(values).any() else np.nan)
        rejected.append(np.isnan(found["additive"]).mean())
    figure, (left, right) = plt.subplots(1, 2, figsize=(10, 4))
    for method, label in METHODS.items():
        left.plot(LENGTHS, distance[method], marker="o", label=label)
    left.set(xscale="log", xlabel="sites", ylabel="normalised RF to the true tree", title="Trees rebuilt")
    left.legend()
    right.plot(LENGTHS, rejected, marker="o", color="C0")
    right.set(xscale="log", xlabel="sites", ylabel="share of matrices", ylim=(0, 1.05),
              title="Not additive: no additive tree")
    figure.suptitle(f"{TAXA} sequences, Jukes-Cantor, {ALIGNMENTS} alignments per length")
    figure.tight_layout()
    figure.savefig(pathlib.Path(__file__).resolve().parent / "joining_accuracy.png", dpi=80)


if __name__ == "__main__":
    main()
