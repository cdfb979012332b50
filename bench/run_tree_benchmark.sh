#!/usr/bin/env bash
# Trees given as trees against the same trees given as matrices, and
# against peers on the same Newick file, in one alternating run: m random
# binary trees of n = 100 leaves (default m = 1,000 and 3,000), written as
# matrices by make_matrix_file and as Newick by rf_pairs --newick. Prints
# the median wall times of rf_pairs on the Newick file and on the matrix
# file, of phangorn's RF.dist (reading the Newick file with ape's read.tree,
# timed inside R) and of PHYLIP's treedist (all pairs, symmetric
# difference) where it is installed (tests/install_packages.sh phylip) and
# m is at most TREEDIST_MAX_M (default 1,000: it takes minutes, and at
# m = 3,000 over 14 GB), once per m,
# how many times faster rf_pairs is, and the share of rf_pairs' Newick run
# that taking the trees in takes: reading, building and numbering their
# splits (its run with --first, which does all that and writes one row).
# Fails if any table differs from rf_pairs'.
#   bench/run_tree_benchmark.sh [ROUNDS] [M ...]   (default: 5 rounds, 1000 3000)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/benchmark_lib.sh
require_time
rounds=${1:-5}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 3000)

cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_pairs make_matrix_file >/dev/null
data=build/bench-data
mkdir -p "$data"
n=100
treedist=/usr/lib/phylip/bin/treedist
treedist_max_m=${TREEDIST_MAX_M:-1000}
grep -m 1 'model name' /proc/cpuinfo | sed 's/.*: /CPU: /'
printf '%-6s %9s %9s %8s %10s %8s %10s %8s %6s\n' m newick_s matrix_s input% phangorn_s ×faster treedist_s ×faster MB
for m in "${counts[@]}"; do
  matrices="$data/trees_${m}x${n}.txt" trees="$data/trees_${m}x${n}.nwk"
  if [ ! -s "$matrices" ] || [ ! -s "$trees" ]; then
    build/bench/make_matrix_file "$n" "$m" binary 7 "$matrices"
    build/rf_pairs "$matrices" --newick "$trees" >/dev/null
  fi
  # The tables must agree before they are timed.
  build/rf_pairs "$trees" >"$data/from_trees.tsv"
  build/rf_pairs "$matrices" >"$data/from_matrices.tsv"
  cmp -s "$data/from_trees.tsv" "$data/from_matrices.tsv" || { echo "m=$m: the tables differ" >&2; exit 1; }
  Rscript bench/tree_rf_phangorn.R "$trees" "$data/from_trees.tsv" >/dev/null 2>&1
  work=$(mktemp -d)
  cp "$trees" "$work/intree"
  declare -a nt=() mt=() ft=() pt=() tt=()
  for _ in $(seq "$rounds"); do
    nt+=("$(measure build/rf_pairs "$trees" | cut -d' ' -f1)")
    mt+=("$(measure build/rf_pairs "$matrices" | cut -d' ' -f1)")
    ft+=("$(measure build/rf_pairs "$trees" --first | cut -d' ' -f1)")
    pt+=("$(Rscript bench/tree_rf_phangorn.R "$trees" 2>/dev/null)")
  done
  run_treedist=$([ -x "$treedist" ] && [ "$m" -le "$treedist_max_m" ] && echo yes || echo no)
  if [ "$run_treedist" = yes ]; then
    start=$EPOCHREALTIME
    (cd "$work" && printf 'D\n2\nP\nS\nY\n' | "$treedist" >/dev/null)
    tt+=("$(awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.3f", e - s }')")
    # symmetric differences, i j d, against the table
    awk 'NR == FNR { if (FNR > 1) for (j = 2; j <= NF; ++j) d[FNR - 1, j - 1] = $j; next }
         NF == 3 && ($1, $2) in d && d[$1, $2] != $3 { bad = 1 } END { exit bad }' \
      "$data/from_trees.tsv" "$work/outfile" || { echo "m=$m: treedist's table differs" >&2; exit 1; }
  fi
  rm -rf "$work"
  newick=$(printf '%s\n' "${nt[@]}" | median) matrix=$(printf '%s\n' "${mt[@]}" | median)
  first=$(printf '%s\n' "${ft[@]}" | median) phangorn=$(printf '%s\n' "${pt[@]}" | median)
  tree_s=$( [ ${#tt[@]} -gt 0 ] && printf '%s\n' "${tt[@]}" | median || echo NA)
  awk -v m="$m" -v a="$newick" -v b="$matrix" -v f="$first" -v p="$phangorn" -v t="$tree_s" \
      -v mb="$(du -m "$matrices" | cut -f1)" 'BEGIN {
    printf "%-6d %9.3f %9.3f %7.0f%% %10.3f %8.0f %10s %8s %6d\n", m, a, b, 100 * f / a, p, p / a,
           t, (t == "NA" ? "NA" : sprintf("%.0f", t / a)), mb }'
  unset nt mt ft pt tt
done
