"""Results against answers found without the library: the splits and
lengths of the trees the matrices were made from, dendropy on those trees'
Newick, the programs on the same numbers, and the numbers of the file."""

import dendropy
import numpy as np
import pytest

import rf_compare
from conftest import matrix_file_text, random_tree, rf_compare_result, rf_pairs_table, split_distance

METRICS = ("rf", "wrf", "kf")


def tree_family(rng, n, m, zero_edges):
    """Trees of which about half are one tree, or it with other lengths or
    two leaves swapped, so that splits are shared by many, some or one."""
    base = random_tree(n, rng, zero_edges, star_nodes=True)
    trees = []
    for _ in range(m):
        choice = rng.integers(4)
        tree = random_tree(n, rng, zero_edges, star_nodes=True) if choice == 0 else base
        if choice == 2:
            tree = random_tree(n, np.random.default_rng(int(rng.integers(1 << 30))), zero_edges, star_nodes=True)
        if choice == 3:  # the same splits, other lengths
            tree = type(base)(n, {v: [(to, w * 1.5) for to, w in edges] for v, edges in base.edges.items()})
        trees.append(tree)
    return trees


@pytest.mark.parametrize("trial", range(6))
def test_distances_are_those_of_the_generating_trees(trial, rng, tmp_path):
    rng = np.random.default_rng(trial)
    n, m = int(rng.integers(4, 30)), int(rng.integers(2, 12))
    trees = tree_family(rng, n, m, zero_edges=trial % 2 == 1)
    matrices = np.stack([t.path_lengths() for t in trees])
    splits = [t.splits() for t in trees]
    (tmp_path / "in.txt").write_text(matrix_file_text(matrices))

    for metric in METRICS:
        table = rf_compare.pairs(matrices, metric=metric)
        expected = np.array([[split_distance(a, b, metric) for b in splits] for a in splits])
        np.testing.assert_allclose(table, expected, rtol=1e-9, atol=1e-9)
        assert (table == table.T).all() and (np.diag(table) == 0).all()
        assert table.dtype == (np.int64 if metric == "rf" else np.float64)
        # The program's table, read back, to 12 digits of the same numbers.
        cells = np.array(rf_pairs_table(tmp_path / "in.txt", "--metric", metric), dtype=float)
        np.testing.assert_allclose(cells, table, rtol=1e-11, atol=0)
    fractions = rf_compare.pairs(list(matrices), normalised=True)
    assert rf_pairs_table(tmp_path / "in.txt", "--normalised") == [[f"{x:.6f}" for x in row] for row in fractions]

    first = rf_compare.first_against_others(iter(matrices))
    assert (first == rf_compare.pairs(matrices)[0, 1:]).all()
    assert rf_compare_result(tmp_path, m) == "".join(f"{d} \n" for d in first)


def test_dendropy_agrees_on_the_generating_trees(rng):
    trees = [random_tree(12, rng) for _ in range(6)]
    taxa = dendropy.TaxonNamespace()
    parsed = [dendropy.Tree.get(data=t.newick(), schema="newick", taxon_namespace=taxa, rooting="force-unrooted")
              for t in trees]
    for t in parsed:
        t.encode_bipartitions()
    matrices = [t.path_lengths() for t in trees]
    rf, wrf, kf = (rf_compare.pairs(matrices, metric=metric) for metric in METRICS)
    for i, a in enumerate(parsed):
        for j, b in enumerate(parsed):
            assert rf[i, j] == dendropy.calculate.treecompare.symmetric_difference(a, b)
            assert wrf[i, j] == pytest.approx(dendropy.calculate.treecompare.weighted_robinson_foulds_distance(a, b))
            assert kf[i, j] == pytest.approx(dendropy.calculate.treecompare.euclidean_distance(a, b))


def test_rebuilt_trees_read_back_as_the_generating_trees(rng):
    names = ["a b", "c_d", "it's", "(x)", "y:z", "w,v", "[n]", "semi;", "", "plain", "ü"]
    for trial in range(4):
        tree = random_tree(len(names), rng, zero_edges=trial % 2 == 1, star_nodes=True)
        rebuilt = rf_compare.rebuild(tree.path_lengths(), names=names)
        assert rebuilt.leaf_count == len(names)
        parsed = dendropy.Tree.get(data=rebuilt.newick(), schema="newick", preserve_underscores=True,
                                   rooting="force-unrooted")
        assert sorted(t.label for t in parsed.taxon_namespace) == sorted(names)
        # Every edge as the names on its side away from the first leaf.
        found = {}
        for node in parsed.postorder_node_iter():
            if node.parent_node is not None:
                side = frozenset(leaf.taxon.label for leaf in node.leaf_iter()) - {names[0]}
                found[side or frozenset(names[1:])] = node.edge_length
        expected = {frozenset(names[v - 1] for v in side): length for side, length in tree.splits().items()}
        assert found.keys() == expected.keys()
        for side, length in expected.items():
            assert found[side] == pytest.approx(length, abs=1e-9)
    plain = rf_compare.rebuild([[0, 2, 3, 3], [2, 0, 3, 3], [3, 3, 0, 2], [3, 3, 2, 0]])
    assert plain.newick() == "(1:1,2:1,(3:1,4:1):1);"


def test_read_matrices_gives_the_numbers_of_the_file(rng, tmp_path):
    matrices = [random_tree(7, rng).path_lengths() for _ in range(3)]
    matrices[1][2, 5] = 1.5e-7  # not what a tree gives, but a number: read as it is
    np.fill_diagonal(matrices[2], 9.0)  # the diagonal reads 0
    (tmp_path / "in.txt").write_text(matrix_file_text(matrices).replace("\n", " \r\n", 3))
    read = list(rf_compare.read_matrices(tmp_path / "in.txt"))
    np.fill_diagonal(matrices[2], 0.0)
    assert len(read) == 3 and all((a == b).all() and a.dtype == np.float64 for a, b in zip(read, matrices))
    assert len(list(rf_compare.read_matrices(str(tmp_path / "in.txt"), m=2))) == 2


def test_names_match_leaves_whatever_their_order(rng, tmp_path):
    trees = [random_tree(7, rng) for _ in range(4)]
    names = ["ant", "bee", "cat", "dog", "eel", "fox", "gnu"]
    orders = [rng.permutation(7) for _ in trees]
    shuffled = [t.path_lengths()[np.ix_(o, o)] for t, o in zip(trees, orders)]
    labels = [[names[k] for k in o] for o in orders]
    aligned = rf_compare.pairs([t.path_lengths() for t in trees], metric="wrf")
    # Another first leaf rebuilds the same trees, but rounds their lengths otherwise.
    np.testing.assert_allclose(rf_compare.pairs(shuffled, metric="wrf", names=labels), aligned, rtol=1e-12, atol=1e-12)
    # The same as a PHYLIP file of two data sets in other orders, read back with its names.
    text = "".join(
        f"{len(o)}\n" + "".join(f"{labels[k][i]:<10}" + " ".join(repr(x) for x in shuffled[k][i]) + "\n" for i in range(7))
        for k, o in enumerate(orders)
    )
    (tmp_path / "sets.phy").write_text(text)
    matrices = rf_compare.read_matrices(tmp_path / "sets.phy")
    first = next(matrices)
    assert matrices.names == tuple(labels[0])
    np.testing.assert_array_equal(first, shuffled[0] * (1 - np.eye(7)))
    np.testing.assert_allclose(rf_compare.pairs(rf_compare.read_matrices(tmp_path / "sets.phy"), metric="wrf"), aligned,
                               rtol=1e-12, atol=1e-12)
    with pytest.raises(ValueError, match='matrices\\[1\\] has no leaf named "ant", which the first matrix has'):
        rf_compare.pairs(shuffled[:2], names=[labels[0], [("x" if n == "ant" else n) for n in labels[1]]])


def test_trees_as_trees_give_the_tables_of_their_matrices(rng, tmp_path):
    """dendropy trees, Newick strings, Tree objects and a NEXUS file that
    dendropy writes with a translate table: the same tables as the trees'
    matrices, and dendropy's own distances."""
    names = [f"t{k}" for k in range(11)]
    trees = [random_tree(11, rng, star_nodes=True) for _ in range(5)]
    taxa = dendropy.TaxonNamespace()
    parsed = dendropy.TreeList([dendropy.Tree.get(data=t.newick(names), schema="newick", taxon_namespace=taxa)
                                for t in trees])
    nexus = tmp_path / "trees.nex"
    parsed.write(path=str(nexus), schema="nexus", translate_tree_taxa=True)
    assert "TRANSLATE" in nexus.read_text().upper()
    matrices = [t.path_lengths() for t in trees]
    for metric in METRICS:
        expected = rf_compare.pairs(matrices, metric=metric, names=[names] * len(matrices))
        for given in (list(parsed), [t.newick(names) for t in trees], rf_compare.read_trees(nexus),
                      [rf_compare.Tree.from_newick(t.newick(names)) for t in trees]):
            assert rf_compare.pairs(given, metric=metric) == pytest.approx(expected, abs=1e-9)
        mixed = [matrices[k] if k % 2 else parsed[k] for k in range(len(trees))]  # matrices need names among trees
        mixed_names = [names if k % 2 else None for k in range(len(trees))]
        assert rf_compare.pairs(mixed, metric=metric, names=mixed_names) == pytest.approx(expected, abs=1e-9)
    for t in parsed:
        t.encode_bipartitions()
    rf = rf_compare.pairs(list(parsed))
    for i, a in enumerate(parsed):
        for j, b in enumerate(parsed):
            assert rf[i, j] == dendropy.calculate.treecompare.symmetric_difference(a, b)
