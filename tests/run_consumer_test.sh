#!/usr/bin/env bash
# Another project's view of the C++ library: installs it into a fresh
# prefix, builds examples/cmake_consumer against that prefix with
# find_package(rf_compare), and runs it; its table and tree must be
# rf_pairs' for the same file.
#   tests/run_consumer_test.sh BUILD_FOLDER RF_PAIRS
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$1 rf_pairs=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" --component development >/dev/null
cmake -S "$source/examples/cmake_consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
matrices=$source/examples/five_trees_12_leaves.txt
"$work/consumer/tree_table" "$matrices" >"$work/out.txt"
"$rf_pairs" "$matrices" -m 1 --newick "$work/first.nwk" >/dev/null
{
  echo "rf_compare $(sed -n 's/^project(rf_compare VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt"), 5 trees of 12 leaves"
  "$rf_pairs" "$matrices" --metric kf --first | awk -F'\t' 'NR == 2 { for (j = 3; j <= NF; ++j) printf "%d %.6f\n", j - 1, $j }'
  cat "$work/first.nwk"
} >"$work/expected.txt"
diff "$work/expected.txt" "$work/out.txt"
echo "the installed library builds and runs in another project"
