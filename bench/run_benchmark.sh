#!/usr/bin/env bash
# Whole-program benchmark: rf_compare against the parsing floor on the same
# files, run alternately. For each n and tree shape (m = 3 matrices) it prints
# the median wall time, peak resident memory, throughput and the ratio to the
# floor, and fails if a result file differs from the true distances.
#   bench/run_benchmark.sh [ROUNDS] [N...]        (default: 5 rounds, n = 1000 2000 4000)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 2000 4000)

[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time) for peak memory" >&2; exit 2; }
cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_compare make_matrix_file parse_floor >/dev/null
data=build/bench-data
mkdir -p "$data"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints "seconds peak_kib" for one command.
measure() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -n 1; }

printf '%-6s %-12s %8s %9s %9s %8s %9s %9s %6s\n' n shape MB seconds floor_s MB/s peak_MiB limit_MiB ratio
status=0
for n in "${sizes[@]}"; do
  for shape in binary caterpillar; do
    file="$data/${shape}_${n}.txt"
    if [ ! -s "$file" ] || [ ! -s "$file.truth" ]; then
      build/bench/make_matrix_file "$n" 3 "$shape" "$n" "$file" "$file.truth"
    fi
    answers="$file.answers"
    printf '%s %s 3\n' "$file" "$data/result.txt" >"$answers"
    times=() floors=() peaks=()
    for _ in $(seq "$rounds"); do
      rm -f "$data/result.txt"
      read -r t peak < <(measure sh -c "build/rf_compare < '$answers'")
      if ! cmp -s "$data/result.txt" "$file.truth"; then
        echo "wrong result for $file" >&2
        status=1
      fi
      read -r f _ < <(measure build/bench/parse_floor "$file")
      times+=("$t") floors+=("$f") peaks+=("$peak")
    done
    mb=$(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.0f", b / 1e6 }')
    t=$(printf '%s\n' "${times[@]}" | median)
    f=$(printf '%s\n' "${floors[@]}" | median)
    peak=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n 1)
    awk -v n="$n" -v s="$shape" -v mb="$mb" -v t="$t" -v f="$f" -v p="$peak" 'BEGIN {
      limit = (1.1 * 8 * (n + 1) * (n + 1) + 32 * 1048576) / 1048576
      printf "%-6d %-12s %8d %9.2f %9.2f %8.0f %9.0f %9.0f %6.2f\n", n, s, mb, t, f, mb / t, p / 1024, limit, t / f }'
  done
done
exit $status
