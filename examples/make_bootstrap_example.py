# SPDX-License-Identifier: MIT
"""Makes the bootstrap example of the README: an alignment of 16 sequences
evolved along a known random tree (Jukes and Cantor's model, 250 sites),
its PHYLIP dnadist matrix, 100 bootstrap replicates by PHYLIP seqboot and
their dnadist matrices (one file, data set after data set), and the true
tree as Newick:

    examples/bootstrap_original.phy      dnadist of the alignment
    examples/bootstrap_replicates.phy    dnadist of the 100 replicates
    examples/bootstrap_true_tree.nwk     the tree the sequences evolved on

Needs Debian's phylip (seqboot, dnadist) and python3-numpy.
    python3 examples/make_bootstrap_example.py
"""

import pathlib
import shutil
import subprocess
import tempfile

import numpy as np

PHYLIP = pathlib.Path("/usr/lib/phylip/bin")
HERE = pathlib.Path(__file__).resolve().parent
TAXA, SITES, REPLICATES = 16, 250, 100


def random_tree(rng, taxa=TAXA, longest=0.15):
    """Edges (parent, child, length) of a random rooted binary tree, leaves
    0..taxa-1, lengths from 0.01 to `longest`; and its root."""
    edges, active, made = [], list(range(taxa)), taxa
    while len(active) > 1:
        x, y = rng.choice(active, 2, replace=False)
        edges += [(made, int(x), rng.uniform(0.01, longest)), (made, int(y), rng.uniform(0.01, longest))]
        active = [v for v in active if v not in (x, y)] + [made]
        made += 1
    return edges, active[0]


def evolve(edges, root, rng, sites=SITES):
    """Sequences of the leaves (0..3 for A, C, G, T): each site of an edge of
    length t changes with probability 3/4 (1 - exp(-4t/3)) to one of the
    three other bases."""
    sequences = {root: rng.integers(4, size=sites)}
    for parent, child, length in reversed(edges):  # parents before children
        changed = rng.random(sites) < 0.75 * (1.0 - np.exp(-4.0 * length / 3.0))
        shift = rng.integers(1, 4, size=sites)
        sequences[child] = np.where(changed, (sequences[parent] + shift) % 4, sequences[parent])
    leaves = min(v for v, _, _ in edges)  # the first inner node: as many leaves as that
    return [sequences[leaf] for leaf in range(leaves)]


def newick(edges, root):
    """The tree in Newick, leaf v named s01, s02, ..."""
    children = {}
    for parent, child, length in edges:
        children.setdefault(parent, []).append((child, length))

    def text(v):
        if v not in children:
            return f"s{v + 1:02d}"
        return "(" + ",".join(f"{text(c)}:{length:.6f}" for c, length in children[v]) + ")"

    return text(root) + ";\n"


def run(program, answers, folder):
    subprocess.run([str(PHYLIP / program)], input=answers, text=True, cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)


def main():
    rng = np.random.default_rng(20261209)
    edges, root = random_tree(rng)
    sequences = evolve(edges, root, rng)
    with tempfile.TemporaryDirectory() as work:
        folder = pathlib.Path(work)
        lines = [f"{TAXA} {SITES}"] + [f"s{k + 1:02d}".ljust(10) + "".join("ACGT"[b] for b in s)
                                       for k, s in enumerate(sequences)]
        (folder / "infile").write_text("\n".join(lines) + "\n")
        run("dnadist", "Y\n", folder)
        shutil.copy(folder / "outfile", HERE / "bootstrap_original.phy")
        (folder / "outfile").unlink()
        run("seqboot", f"R\n{REPLICATES}\nY\n4333\n", folder)
        (folder / "outfile").rename(folder / "infile")
        run("dnadist", f"M\nD\n{REPLICATES}\nY\n", folder)
        shutil.copy(folder / "outfile", HERE / "bootstrap_replicates.phy")
    (HERE / "bootstrap_true_tree.nwk").write_text(newick(edges, root))


if __name__ == "__main__":
    main()
