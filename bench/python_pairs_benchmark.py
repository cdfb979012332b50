#!/usr/bin/python3
"""rf_compare.pairs on a 3-D array in memory against rf_pairs on the same
matrices as a file, run alternately; prints each round's times, the
medians and their ratio, and fails if the tables differ. Then the fixed
cost of a call: pairs() on two matrices of 4 leaves against rebuild() on
one.

    bench/python_pairs_benchmark.py RF_PAIRS MATRIX_FILE [ROUNDS] [METRIC]
"""

import statistics
import subprocess
import sys
import time
import timeit

import numpy as np

import rf_compare


def main() -> int:
    rf_pairs, matrix_file = sys.argv[1], sys.argv[2]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    metric = sys.argv[4] if len(sys.argv) > 4 else "rf"
    stack = np.stack(list(rf_compare.read_matrices(matrix_file)))  # the file's numbers, bit for bit
    in_memory, from_file = [], []
    for _ in range(rounds):
        start = time.perf_counter()
        table = rf_compare.pairs(stack, metric=metric)
        in_memory.append(time.perf_counter() - start)
        start = time.perf_counter()
        out = subprocess.run([rf_pairs, matrix_file, "--metric", metric], capture_output=True, text=True, check=True)
        from_file.append(time.perf_counter() - start)
        cells = np.array([line.split("\t")[1:] for line in out.stdout.splitlines()[1:]], dtype=float)
        if not np.allclose(cells, table, rtol=1e-11, atol=0):
            print("the tables differ", file=sys.stderr)
            return 1
    memory, program = statistics.median(in_memory), statistics.median(from_file)
    m, n = stack.shape[0], stack.shape[1]
    print(f"m = {m}, n = {n}, metric {metric}, {rounds} rounds")
    print("pairs() s   " + " ".join(f"{t:.3f}" for t in in_memory))
    print("rf_pairs s  " + " ".join(f"{t:.3f}" for t in from_file))
    print(f"median: pairs() {memory:.3f} s, rf_pairs {program:.3f} s, ratio {memory / program:.2f}")
    small = np.array([[0, 2, 3, 3], [2, 0, 3, 3], [3, 3, 0, 2], [3, 3, 2, 0]], dtype=float)
    calls = 2000
    one = min(timeit.repeat(lambda: rf_compare.rebuild(small), number=calls, repeat=rounds)) / calls
    two = min(timeit.repeat(lambda: rf_compare.pairs([small, small]), number=calls, repeat=rounds)) / calls
    print(f"small calls: rebuild() {one * 1e6:.1f} us, pairs() of two {two * 1e6:.1f} us, {(two - one) * 1e6:.1f} us more")
    return 0


if __name__ == "__main__":
    sys.exit(main())
