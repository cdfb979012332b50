#!/usr/bin/env bash
# The R package's rf_pairs() (on a list and on an n x n x m array) against
# the Python module's pairs() (on an m x n x n array) on the same m = 1,000
# matrices of n = 100 leaves, read from one file by each package's reader:
# ROUNDS alternating runs, each timing the call alone inside its session;
# medians and the ratio R / Python.
#   bench/run_r_python_benchmark.sh [ROUNDS]   (default 5; after a ctest run
#   of the build, whose R library and Python module it uses)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/benchmark_lib.sh
rounds=${1:-5}
build=${BUILD:-build}
cmake --build "$build" -j2 --target make_matrix_file rf_compare_python >/dev/null
file="$build/bench-data/pairs_binary_1000x100.txt"
mkdir -p "$build/bench-data"
[ -s "$file" ] || "$build/bench/make_matrix_file" 100 1000 binary 100 "$file"
r_call='.libPaths(c(commandArgs(TRUE)[1], .libPaths())); suppressPackageStartupMessages(library(rfcompare))
matrices <- read_matrices(commandArgs(TRUE)[2]); stacked <- simplify2array(matrices)
cat(system.time(rf_pairs(matrices))[["elapsed"]], system.time(rf_pairs(stacked))[["elapsed"]], "\n")'
python_call='import sys, time, numpy as np, rf_compare
stack = np.stack(list(rf_compare.read_matrices(sys.argv[1])))
start = time.perf_counter(); rf_compare.pairs(stack); print(time.perf_counter() - start)'
declare -a rl=() ra=() py=()
for _ in $(seq "$rounds"); do
  read -r list array < <(Rscript -e "$r_call" "$build/r/library" "$file")
  rl+=("$list") ra+=("$array")
  py+=("$(PYTHONPATH="$build/python" /usr/bin/python3 -c "$python_call" "$file")")
done
lscpu | grep -E '^Model name' || true
list=$(printf '%s\n' "${rl[@]}" | median) array=$(printf '%s\n' "${ra[@]}" | median) python=$(printf '%s\n' "${py[@]}" | median)
awk -v l="$list" -v a="$array" -v p="$python" 'BEGIN {
  printf "median: R rf_pairs() %.3f s on a list, %.3f s on an array; Python pairs() %.3f s; R / Python %.2f and %.2f\n",
         l, a, p, l / p, a / p }'
