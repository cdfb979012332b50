#!/usr/bin/env bash
# rf_pairs against rf_compare on the same files with the same m, run
# alternately: m = 1,000 trees of n = 100 leaves and m = 100 trees of
# n = 2,000 (binary trees and caterpillars). Prints median wall times of
# rf_compare and of rf_pairs with each metric (rf, wrf, kf), the ratio of
# rf_pairs to rf_compare and of kf to rf, the share of each run that the
# all-pairs table takes (the median over rounds of that run less rf_pairs
# --first, which reads and rebuilds the same), and rf_pairs' highest peak
# memory against one matrix + 32 MiB + 48 bytes per leaf and tree. Fails if
# row 1 or rf_compare's result file differs from the true distances.
#   bench/run_pairs_benchmark.sh [ROUNDS] [M:N ...]   (default: 5 rounds, 1000:100 100:2000)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/benchmark_lib.sh
require_time
rounds=${1:-5}
shift || true
sets=("$@")
[ ${#sets[@]} -gt 0 ] || sets=(1000:100 100:2000)

cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_compare rf_pairs make_matrix_file >/dev/null
data=build/bench-data
mkdir -p "$data"

# The share of run time $1 that is not the --first run's $2.
share() { awk -v x="$1" -v f="$2" 'BEGIN { print (x - f) / x }'; }
med() { printf '%s\n' "$@" | median; }

status=0
printf '%-5s %-5s %-11s %5s %9s %7s %5s %6s %6s %6s %6s %6s %5s %6s %8s %5s\n' \
  m n shape MB compare_s pairs_s ratio table% wrf_s table% kf_s table% kf/rf first_s peak_MiB limit
for set in "${sets[@]}"; do
  m=${set%%:*} n=${set##*:}
  for shape in binary caterpillar; do
    file="$data/pairs_${shape}_${m}x${n}.txt"
    if [ ! -s "$file" ] || [ ! -s "$file.truth" ]; then
      build/bench/make_matrix_file "$n" "$m" "$shape" "$n" "$file" "$file.truth"
    fi
    printf '%s %s %s\n' "$file" "$data/result.txt" "$m" >"$file.answers"
    compares=() pairs=() firsts=() wrfs=() kfs=() tables=() wrf_tables=() kf_tables=() kf_ratios=() peaks=()
    for _ in $(seq "$rounds"); do
      rm -f "$data/result.txt"
      read -r c _ < <(measure sh -c "build/rf_compare < '$file.answers'")
      cmp -s "$data/result.txt" "$file.truth" || { echo "wrong result from rf_compare on $file" >&2; status=1; }
      read -r p peak < <(measure sh -c "build/rf_pairs '$file' > '$data/pairs.tsv'")
      read -r f _ < <(measure build/rf_pairs "$file" --first)
      read -r w wrf_peak < <(measure build/rf_pairs "$file" --metric wrf)
      read -r k kf_peak < <(measure build/rf_pairs "$file" --metric kf)
      # Row 1 from column 3 on, one "%d \n" line each, is rf_compare's result file.
      sed -n 2p "$data/pairs.tsv" | tr '\t' '\n' | tail -n +3 | sed 's/$/ /' | cmp -s - "$file.truth" ||
        { echo "wrong row 1 from rf_pairs on $file" >&2; status=1; }
      compares+=("$c") pairs+=("$p") firsts+=("$f") wrfs+=("$w") kfs+=("$k") peaks+=("$peak" "$wrf_peak" "$kf_peak")
      tables+=("$(share "$p" "$f")") wrf_tables+=("$(share "$w" "$f")") kf_tables+=("$(share "$k" "$f")")
      kf_ratios+=("$(awk -v k="$k" -v p="$p" 'BEGIN { print k / p }')")
    done
    mb=$(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.0f", b / 1e6 }')
    peak=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n 1)
    awk -v m="$m" -v n="$n" -v s="$shape" -v mb="$mb" -v c="$(med "${compares[@]}")" -v p="$(med "${pairs[@]}")" \
      -v t="$(med "${tables[@]}")" -v w="$(med "${wrfs[@]}")" -v wt="$(med "${wrf_tables[@]}")" \
      -v k="$(med "${kfs[@]}")" -v kt="$(med "${kf_tables[@]}")" -v kr="$(med "${kf_ratios[@]}")" \
      -v f="$(med "${firsts[@]}")" -v peak="$peak" 'BEGIN {
      limit = (8 * (n + 1) * (n + 1) + 32 * 1048576 + 48 * m * n) / 1048576
      printf "%-5d %-5d %-11s %5d %9.3f %7.3f %5.2f %5.0f%% %6.3f %5.0f%% %6.3f %5.0f%% %5.2f %6.3f %8.0f %5.0f\n",
        m, n, s, mb, c, p, p / c, 100 * t, w, 100 * wt, k, 100 * kt, kr, f, peak / 1024, limit }'
  done
done
exit $status
