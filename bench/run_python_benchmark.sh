#!/usr/bin/env bash
# The Python module's pairs() on a 3-D array of m = 1,000 matrices of
# n = 100 leaves (random binary trees, six decimals) against rf_pairs on the
# same matrices as a file, alternately, for each metric.
#   bench/run_python_benchmark.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-7}
cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_pairs rf_compare_python make_matrix_file >/dev/null
data=build/bench-data
mkdir -p "$data"
file="$data/pairs_binary_1000x100.txt"
[ -s "$file" ] || build/bench/make_matrix_file 100 1000 binary 100 "$file"
lscpu | grep -E '^Model name' || true
for metric in rf wrf kf; do
  PYTHONPATH=build/python /usr/bin/python3 bench/python_pairs_benchmark.py build/rf_pairs "$file" "$rounds" "$metric"
done
