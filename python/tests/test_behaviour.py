"""What callers see: the errors of bad arrays and bad files, NaN for
matrices that are not additive, any iterable and any memory layout taken,
memory kept to one matrix at a time, other threads running meanwhile."""

import resource
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import pickle
import tracemalloc
import warnings

import dendropy
import numpy as np
import pytest

import rf_compare
from conftest import random_tree

EDGE_34 = [[0, 2, 3, 3], [2, 0, 3, 3], [3, 3, 0, 2], [3, 3, 2, 0]]
EDGE_24 = [[0, 3, 2, 3], [3, 0, 3, 2], [2, 3, 0, 3], [3, 2, 3, 0]]
SKEWED = [[0, 1, 10, 1], [1, 0, 1, 1], [10, 1, 0, 1], [1, 1, 1, 0]]
NAN_AT_1_2 = [[0, 2, 3, 3], [2, 0, float("nan"), 3], [3, 3, 0, 2], [3, 3, 2, 0]]
NO_TREE_METRIC = [[0, 3, 4, 5], [3, 0, 5, 4], [4, 5, 0, 3], [5, 4, 3, 0]]  # 4 + 4 != 5 + 5: its tree is 2 off


def file_text(body: str) -> str:
    return "4\n" + "\n".join(" ".join(str(x) for x in row) for row in EDGE_34) + "\n" + body


BAD_CALLS = [
    # (what, call, exception, message)
    ("not 2-D", lambda: rf_compare.pairs([EDGE_34, [0, 1, 2]]), ValueError, "matrices[1] is not 2-dimensional: shape (3,)"),
    ("not square", lambda: rf_compare.pairs([EDGE_34, np.zeros((4, 3))]), ValueError, "matrices[1] is not square: shape (4, 3)"),
    ("one leaf", lambda: rf_compare.rebuild([[0.0]]), ValueError, "matrix has fewer than 2 leaves: shape (1, 1)"),
    ("NaN", lambda: rf_compare.pairs([EDGE_34, NAN_AT_1_2]), ValueError, "matrices[1][1, 2] is nan, not a finite number"),
    ("inf in a stack", lambda: rf_compare.pairs(np.array([EDGE_34, EDGE_34, np.full((4, 4), np.inf)])), ValueError,
     "matrices[2][0, 0] is inf, not a finite number"),
    ("NaN in a generator", lambda: rf_compare.pairs(iter([EDGE_34, NAN_AT_1_2])), ValueError,
     "matrices[1][1, 2] is nan, not a finite number"),
    ("text", lambda: rf_compare.pairs([EDGE_34, [["a", "b"], ["c", "d"]]]), ValueError,
     "matrices[1] is not an array of real numbers: dtype <U1"),
    ("complex", lambda: rf_compare.rebuild(np.zeros((2, 2), complex)), ValueError,
     "matrix is not an array of real numbers: dtype complex128"),
    ("different n", lambda: rf_compare.pairs(iter([EDGE_34, np.zeros((5, 5))])), ValueError,
     "matrices[1]: shape (5, 5) differs from the first matrix's (4, 4): all matrices must have the same number of leaves"),
    ("one matrix, not a list", lambda: rf_compare.pairs(np.array(EDGE_34)), ValueError,
     "matrices must be a 3-D array or an iterable of 2-D arrays, not an array of shape (4, 4)"),
    ("none", lambda: rf_compare.first_against_others([]), ValueError, "no matrix given"),
    ("unknown metric", lambda: rf_compare.pairs([EDGE_34], metric="RF"), ValueError,
     "metric must be 'rf', 'wrf' or 'kf', not 'RF'"),
    ("normalised kf", lambda: rf_compare.pairs([EDGE_34], metric="kf", normalised=True), ValueError,
     "normalised applies to metric rf only: kf has no largest possible value"),
    ("unknown not_additive", lambda: rf_compare.first_against_others([EDGE_34], not_additive="skip"), ValueError,
     "not_additive must be 'raise' or 'nan', not 'skip'"),
    ("names: too few", lambda: rf_compare.rebuild(EDGE_34, names=["a", "b"]), ValueError, "2 names for 4 leaves"),
    ("None", lambda: rf_compare.pairs([EDGE_34, [[0, 1], [None, 0]]]), ValueError, "matrices[1][1, 0] is None, not a number"),
    ("a lone surrogate", lambda: rf_compare.rebuild(EDGE_34, names=["a", "b", "c", "\udc80"]), ValueError,
     "the names of matrix must be text that UTF-8 can write, not '\\udc80'"),
    ("threads", lambda: rf_compare.pairs([EDGE_34], threads=-1), ValueError, "threads must be 0 (every core) or more, not -1"),
    ("condensed two sets", lambda: rf_compare.pairs([EDGE_34], [EDGE_34], condensed=True), ValueError,
     "condensed applies to one set of trees, not to two"),
    ("names: twice", lambda: rf_compare.rebuild(EDGE_34, names=["a", "b", "a", "c"]), ValueError,
     "names must be distinct: 'a' is given twice"),
    ("not additive", lambda: rf_compare.pairs([EDGE_34, EDGE_24, SKEWED]), rf_compare.NotAdditiveError,
     "matrices[2] is not an additive distance"),
    ("not additive, before a bad array", lambda: rf_compare.pairs(iter([EDGE_34, SKEWED, NAN_AT_1_2])),
     rf_compare.NotAdditiveError, "matrices[1] is not an additive distance"),
    ("asymmetric", lambda: rf_compare.pairs([EDGE_34, np.tril(EDGE_34)]), ValueError,
     "matrices[1][0, 1] is 0 and its mirror image 2: the matrix is not symmetric (beyond 1e-4 of its largest entry)"),
    ("negative", lambda: rf_compare.rebuild([[0, -0.005, 3, 3], [-0.005, 0, 3, 3], [3, 3, 0, 2], [3, 3, 2, 0]]), ValueError,
     "matrix[0, 1] is -0.005, a negative distance"),
    ("sums overflow", lambda: rf_compare.first_against_others(iter([EDGE_34, np.array(EDGE_34) * 1e307])), ValueError,
     "matrices[1][0, 1] is 2e+307: sums of entries this large overflow"),
    ("no tolerance", lambda: rf_compare.rebuild(EDGE_34, tolerance=0), ValueError,
     "tolerance must be absolute, relative or a positive number, not 0"),
    ("strict", lambda: rf_compare.pairs([EDGE_34, NO_TREE_METRIC], strict=True), rf_compare.NotAdditiveError,
     "matrices[1] is not an additive distance: its tree's path lengths differ from it by up to 40 % (strict)"),
    ("a missing file", lambda: rf_compare.read_matrices("missing.txt"), FileNotFoundError, "File missing.txt was not found"),
    ("a folder", lambda: rf_compare.read_matrices("/"), IsADirectoryError, "File / is a folder"),
    ("one endless word", lambda: list(rf_compare.read_matrices("/dev/zero")), ValueError,
     '/dev/zero, line 1: Bad number of objects: found "' + "\\x00" * 40 + '...", expected a number of leaves, or a '
     "header row of names (--format names the format)"),
]

BAD_FILES = [
    # (file text, m, message after the file's name); ValueError
    ("4\n0 2 3 3\n2 0 3 3\n3 3 0 2\n3 3 2 0\n0 3 2 3\n3 x 3 2\n", None,
     ', line 7: Bad entry in matrix 2, row 2, column 2: found "x", expected a decimal number'),
    (file_text("0 3 2 3\n3 0"), None, ", line 7: Bad matrix number: the file ends inside a matrix (matrix 2)"),
    (file_text(""), 2, " holds 1 matrix, 2 asked for"),
    ("four\n", None, ', line 1: Bad number of objects: found "four", expected a number of leaves, or a header row of '
     "names (--format names the format)"),
]


@pytest.mark.parametrize("what, call, exception, message", BAD_CALLS, ids=[c[0] for c in BAD_CALLS])
def test_bad_calls_raise_with_what_is_wrong(what, call, exception, message):
    with pytest.raises(exception) as raised:
        call()
    assert str(raised.value) == message


@pytest.mark.parametrize("text, m, message", BAD_FILES)
def test_bad_files_raise_with_the_programs_texts(text, m, message, tmp_path):
    (tmp_path / "in.txt").write_text(text)
    with pytest.raises(ValueError) as raised:
        list(rf_compare.read_matrices(tmp_path / "in.txt", m))
    assert str(raised.value).endswith(message), str(raised.value)


def test_not_additive_gives_its_index_or_nan():
    with pytest.raises(rf_compare.NotAdditiveError) as raised:
        rf_compare.first_against_others(np.array([EDGE_34, EDGE_24, SKEWED, EDGE_24]))
    assert raised.value.index == 2 and isinstance(raised.value, ValueError)
    first = rf_compare.first_against_others([EDGE_34, EDGE_24, SKEWED, EDGE_24], not_additive="nan")
    assert first.dtype == np.float64 and first[0] == 2 and np.isnan(first[1]) and first[2] == 2
    assert np.isnan(rf_compare.first_against_others([SKEWED, EDGE_34], not_additive="nan")).all()
    for metric in ("rf", "kf"):
        table = rf_compare.pairs(iter([EDGE_34, SKEWED, EDGE_24]), metric=metric, not_additive="nan")
        assert np.isnan(np.delete(table[1], 1)).all() and np.isnan(np.delete(table[:, 1], 1)).all()
        assert table[1, 1] == 0  # a zero diagonal, as a condensed form needs
        assert table[0, 2] == (2 if metric == "rf" else pytest.approx(2 ** 0.5))


def test_a_matrix_that_is_no_tree_metric_warns_once_per_call():
    with pytest.warns(rf_compare.NotTreeMetricWarning) as warned:
        table, misfit = rf_compare.pairs([EDGE_34, NO_TREE_METRIC, NO_TREE_METRIC], return_misfit=True)
    assert len(warned) == 1 and str(warned[0].message) == (
        "2 of 3 matrices are not tree metrics: their trees' path lengths differ from them by up to 40 % (matrix 2); "
        "such trees depend on the order of the leaves; method=\"nj\" builds trees that do not depend on it")
    assert table.tolist() == [[0, 0, 0], [0, 0, 0], [0, 0, 0]]
    assert misfit.tolist() == [[0, 0], [2, 0.4], [2, 0.4]]
    with pytest.warns(rf_compare.NotTreeMetricWarning, match="a relative tolerance may help"):
        assert rf_compare.rebuild(np.array(EDGE_34) * 1e-6).newick() == "(1:2e-06,2:0,3:0,4:0);"
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        assert rf_compare.rebuild(np.array(EDGE_34) * 1e-6, tolerance="relative").misfit.relative < 1e-15
        assert rf_compare.rebuild(np.array(EDGE_34) * 1e-6, tolerance=1e-9).newick() == (
            "(1:1e-06,2:1e-06,(3:1e-06,4:1e-06):1e-06);")
        first, misfit = rf_compare.first_against_others([EDGE_34, SKEWED], not_additive="nan", return_misfit=True)
        assert np.isnan(first).all() and np.isnan(misfit[1]).all() and misfit[0].tolist() == [0, 0]


def test_misfit_is_the_largest_difference_from_the_path_lengths_of_the_newick_tree(rng):
    """The tree's path lengths as dendropy reads them from its Newick line."""
    for trial in range(12):
        exact = random_tree(8 + trial, rng).path_lengths()
        noise = np.triu(rng.uniform(-0.02, 0.02, exact.shape), 1)
        noisy = exact + noise + noise.T
        try:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore", rf_compare.NotTreeMetricWarning)
                tree = rf_compare.rebuild(noisy)
        except rf_compare.NotAdditiveError:
            continue
        parsed = dendropy.Tree.get(data=tree.newick(), schema="newick")
        paths = parsed.phylogenetic_distance_matrix()
        leaves = {int(taxon.label): taxon for taxon in parsed.taxon_namespace}
        largest = max(abs(noisy[i - 1, j - 1] - paths(leaves[i], leaves[j]))
                      for i in leaves for j in leaves if i < j)
        assert tree.misfit.absolute == pytest.approx(largest, rel=1e-9, abs=1e-11)
        assert tree.misfit.relative == pytest.approx(largest / noisy.max(), rel=1e-9, abs=1e-11)


@pytest.mark.parametrize("k", range(-8, 9))
def test_a_relative_tolerance_makes_the_unit_irrelevant(k, rng):
    trees = [random_tree(12, rng, star_nodes=True) for _ in range(4)]
    matrices = np.stack([t.path_lengths() for t in trees])
    scaled = matrices * 10.0 ** k
    assert (rf_compare.pairs(scaled, tolerance="relative") == rf_compare.pairs(matrices)).all()
    for metric in ("wrf", "kf"):
        expected = rf_compare.pairs(matrices, metric=metric) * 10.0 ** k
        assert rf_compare.pairs(scaled, metric=metric, tolerance="relative") == pytest.approx(expected, rel=1e-9)


@pytest.mark.filterwarnings("ignore::rf_compare.NotTreeMetricWarning")  # the rounded matrices
def test_any_iterable_and_any_memory_layout_give_the_same_table(rng):
    stack = np.stack([random_tree(9, rng).path_lengths() for _ in range(7)])
    expected = rf_compare.pairs(stack, metric="wrf")
    spaced = np.zeros((7, 18, 27))
    spaced[:, ::2, ::3] = stack
    rounded = np.rint(stack * 100).astype(np.int32)
    for same in (list(stack), tuple(stack), (m for m in stack), np.asfortranarray(stack), spaced[:, ::2, ::3],
                 [m.tolist() for m in stack], [np.ascontiguousarray(m.T).T for m in stack]):
        np.testing.assert_array_equal(rf_compare.pairs(same, metric="wrf"), expected)
    np.testing.assert_array_equal(rf_compare.pairs(rounded, metric="wrf"), rf_compare.pairs(rounded / 1.0, metric="wrf"))


def test_a_generator_is_used_one_matrix_at_a_time(rng):
    base = random_tree(100, rng).path_lengths()
    order = np.random.default_rng(7)

    def matrices():  # 3,000 matrices of 100 leaves: 229 MiB, never all at once
        for _ in range(3000):
            leaves = order.permutation(100)
            yield base[np.ix_(leaves, leaves)]

    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    first = rf_compare.first_against_others(matrices())
    grown_kib = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before
    assert first.shape == (2999,) and first.max() > 0
    assert grown_kib < 64 * 1024


def test_other_threads_run_while_trees_are_rebuilt_and_compared(rng):
    edges = rng.uniform(0.05, 1.0, 1000)
    star = edges[:, None] + edges[None, :]
    stack = np.broadcast_to(star, (120, 1000, 1000))  # 120 views of one matrix: a good part of a second
    ticks = 0
    done = threading.Event()

    def count():
        nonlocal ticks
        while not done.is_set():
            ticks += 1
            time.sleep(0.001)

    counter = threading.Thread(target=count)
    counter.start()
    time.sleep(0.05)
    started, start = ticks, time.monotonic()
    rf_compare.pairs(stack, metric="kf")
    elapsed, counted = time.monotonic() - start, ticks - started
    done.set()
    counter.join()
    # A thread held off by the interpreter lock would count only between
    # the batches of matrices, about a quarter of the time.
    assert counted > 0.5 * elapsed / 0.001, (counted, elapsed)


def test_the_tree_space_example_draws_its_picture(tmp_path):
    examples = Path(__file__).resolve().parents[2] / "examples"
    subprocess.run([sys.executable, examples / "tree_space.py", examples / "five_trees_12_leaves.txt",
                    tmp_path / "space.png", "--metric", "wrf"], check=True)
    assert (tmp_path / "space.png").read_bytes().startswith(b"\x89PNG")


def test_ctrl_c_stops_a_long_call_within_half_a_second(rng):
    n, m = 60, 7000
    families = [random_tree(n, rng).path_lengths() for _ in range(2)]
    swaps = np.random.default_rng(3)

    def member(k):  # half of one tree, half of another, two leaves swapped: long lists of shared splits
        order = np.arange(n)
        i, j = swaps.integers(1, n, 2)
        order[[i, j]] = order[[j, i]]
        return families[k % 2][np.ix_(order, order)]

    stack = np.stack([member(k) for k in range(m)])
    whole = []
    for _ in range(2):  # the first call pays for warming up
        start = time.monotonic()
        rf_compare.pairs(stack)
        whole.append(time.monotonic() - start)
    # Once while the trees are rebuilt, once while the table is computed.
    for delay in (0.02, min(whole) / 3):
        sent = []

        def interrupt():
            sent.append(time.monotonic())
            signal.pthread_kill(threading.main_thread().ident, signal.SIGINT)

        timer = threading.Timer(delay, interrupt)
        timer.start()
        try:
            with pytest.raises(KeyboardInterrupt):
                rf_compare.pairs(stack)
            stopped = time.monotonic()
        finally:
            timer.join()
        assert stopped - sent[0] < 0.5, (delay, whole, stopped - sent[0])


def test_a_tree_can_be_taken_apart_and_pickled_exactly(rng):
    tree = random_tree(9, rng, star_nodes=True)
    names = [f"leaf {k}" for k in range(9)]
    for rebuilt in (rf_compare.rebuild(tree.path_lengths(), names=names), rf_compare.rebuild(tree.path_lengths())):
        parent, child, length = rebuilt.edges()
        assert parent.dtype == np.int32 and child.dtype == np.int32 and length.dtype == np.float64
        # the path lengths again, from the edges: leaves 1..n, the root n + 1
        up = {int(c): (int(p), float(w)) for p, c, w in zip(parent, child, length)}
        def path_to_root(node):
            path = {node: 0.0}
            while node in up:
                node, w = up[node][0], path[node] + up[node][1]
                path[node] = w
            return path
        d = np.zeros((9, 9))
        for i in range(9):
            a = path_to_root(i + 1)
            for j in range(9):
                b = path_to_root(j + 1)
                d[i, j] = min(a[v] + b[v] for v in a.keys() & b.keys())
        np.testing.assert_allclose(d, tree.path_lengths(), atol=1e-12)
        again = pickle.loads(pickle.dumps(rebuilt))
        assert again.names == rebuilt.names and again.newick() == rebuilt.newick()
        assert all((x == y).all() for x, y in zip(again.edges(), rebuilt.edges()))  # bit for bit
        assert tuple(again.misfit) == tuple(rebuilt.misfit)
        assert repr(rebuilt).startswith("Tree(9 leaves: (")
    assert rf_compare.rebuild(tree.path_lengths(), names=names).names == tuple(names)
    assert rf_compare.rebuild(tree.path_lengths()).names is None
    with pytest.raises(TypeError):
        rf_compare.Tree()


def test_two_sets_threads_and_condensed_tables_give_the_table_s_cells(rng):
    stack = np.stack([random_tree(10, rng).path_lengths() for _ in range(7)])
    for metric in ("rf", "wrf", "kf"):
        square = rf_compare.pairs(stack, metric=metric)
        np.testing.assert_array_equal(rf_compare.pairs(stack[:3], stack[3:], metric=metric), square[:3, 3:])
        np.testing.assert_array_equal(rf_compare.pairs(stack, metric=metric, condensed=True),
                                      square[np.triu_indices(7, 1)])
        np.testing.assert_array_equal(rf_compare.first_against_others(stack, metric=metric), square[0, 1:])
        for threads in (1, 2, 3):
            np.testing.assert_array_equal(rf_compare.pairs(stack, metric=metric, threads=threads), square)
    np.testing.assert_array_equal(rf_compare.pairs(stack, "kf"), rf_compare.pairs(stack, metric="kf"))  # as before
    normalised = rf_compare.first_against_others(stack, normalised=True)
    np.testing.assert_array_equal(normalised, rf_compare.pairs(stack, normalised=True)[0, 1:])


def test_lists_are_used_a_batch_at_a_time_as_generators_are(rng):
    """A list of float32 matrices is made float64 a batch at a time, not all
    at once: its peak is a generator's, far below the list's own size."""
    base = [random_tree(300, rng).path_lengths().astype(np.float32) for _ in range(4)]
    matrices = [base[k % 4] for k in range(120)]  # 41 MiB of float32, 82 MiB as float64
    peaks = []
    for given in (matrices, iter(matrices)):
        tracemalloc.start()
        rf_compare.pairs(given)
        peaks.append(tracemalloc.get_traced_memory()[1])
        tracemalloc.stop()
    assert max(peaks) < 16 * 2**20 and peaks[0] < 2 * peaks[1] + 2**20, peaks
