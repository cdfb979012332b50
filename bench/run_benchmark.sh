#!/usr/bin/env bash
# Whole-program benchmark: rf_compare on all cores and on one core, and
# rf_pairs on all cores, against the one-thread parsing floor and a
# bytes-only read of the same files, all run alternately. For each size
# (n leaves, m matrices: 3 unless given as N:M) and tree shape it prints the
# median wall times, each program's ratio to the floor of the same run,
# rf_pairs' ratio to rf_compare, the peak resident memory of each and its
# limit (rf_compare: one matrix of doubles, 8(n+1)^2 bytes, + 32 MiB;
# rf_pairs: that + 48 bytes per leaf and tree), and fails if a result
# differs from the true distances. So that a table from another machine can
# be read, it also prints for rf_compare on all cores the page faults and
# the user and system CPU seconds (medians, from getrusage), the millions of
# words converted per second on one core as the run meets them (fresh text
# into the large matrix: the whole file, and the matrices after the first)
# and in cache (bench/conversion_in_run), and, above the table, the CPU
# model and this machine's cost of one page fault.
#   bench/run_benchmark.sh [ROUNDS] [N[:M]...]   (default: 5 rounds, 1000 2000 4000 100:2000 300:2000)
# BASELINE=path/to/another/rf_compare adds that build, run alternately too.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 2000 4000 100:2000 300:2000)
baseline=${BASELINE:-}

source bench/benchmark_lib.sh
require_time
command -v taskset >/dev/null || { echo "needs taskset (Debian package util-linux) for the one-core runs" >&2; exit 2; }
cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_compare rf_pairs make_matrix_file parse_floor conversion_in_run page_fault_cost >/dev/null
data=build/bench-data
mkdir -p "$data"
lscpu | grep -E '^Model name' || true
echo "one page fault: $(build/bench/page_fault_cost) us; transparent huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)"

# One run of an rf_compare build on the answers file; prints "seconds
# peak_kib page_faults user_s system_s right|wrong", the last as its result
# file matches the truth.
run_program() {
  local answers=$1 truth=$2
  shift 2
  rm -f "$data/result.txt"
  local figures
  figures=$(measure_usage "$@" <"$answers")
  cmp -s "$data/result.txt" "$truth" && echo "$figures right" || echo "$figures wrong"
}

# rf_pairs, the whole table: its row 1, from column 3 on, one "%d \n" line
# each, is rf_compare's result file.
run_pairs() {
  local file=$1 truth=$2 figures
  figures=$(measure sh -c "build/rf_pairs '$file' > '$data/pairs.tsv'")
  sed -n 2p "$data/pairs.tsv" | tr '\t' '\n' | tail -n +3 | sed 's/$/ /' | cmp -s - "$truth" &&
    echo "$figures right" || echo "$figures wrong"
}

status=0
check() {
  if [ "$1" != right ]; then
    echo "wrong result from $2 on $file" >&2
    status=1
  fi
}

printf '%-5s %-5s %-11s %5s %7s %6s %6s %5s %6s %5s %7s %5s %9s %8s %6s %9s %6s %7s %6s %6s %7s %7s %7s %6s\n' \
  n m shape MB floor_s read_s all_s ratio one_s ratio pairs_s ratio pairs/all peak_MiB limit pairs_MiB limit \
  faults user_s sys_s run_Mw/s later_Mw/s cache_Mw/s ${baseline:+base_s}
for size in "${sizes[@]}"; do
  n=${size%%:*}
  m=3
  [ "$size" = "$n" ] || m=${size##*:}
  for shape in binary caterpillar; do
    file="$data/${shape}_${n}x${m}.txt"
    if [ ! -s "$file" ] || [ ! -s "$file.truth" ]; then
      build/bench/make_matrix_file "$n" "$m" "$shape" "$n" "$file" "$file.truth"
    fi
    answers="$file.answers"
    printf '%s %s %s\n' "$file" "$data/result.txt" "$m" >"$answers"
    floors=() reads=() alls=() ones=() pairs=() bases=() peaks=() pairs_peaks=() faults=() users=() systems=()
    for _ in $(seq "$rounds"); do
      read -r f _ < <(measure build/bench/parse_floor "$file")
      read -r r _ < <(measure cat "$file")
      read -r a peak fault user system verdict < <(run_program "$answers" "$file.truth" build/rf_compare)
      check "$verdict" "rf_compare"
      faults+=("$fault") users+=("$user") systems+=("$system")
      read -r o one_peak _ _ _ verdict < <(run_program "$answers" "$file.truth" taskset -c 0 build/rf_compare)
      check "$verdict" "rf_compare on one core"
      read -r p pairs_peak verdict < <(run_pairs "$file" "$file.truth")
      check "$verdict" "rf_pairs"
      floors+=("$f") reads+=("$r") alls+=("$a") ones+=("$o") pairs+=("$p") peaks+=("$peak" "$one_peak") pairs_peaks+=("$pairs_peak")
      if [ -n "$baseline" ]; then
        read -r b _ _ _ _ verdict < <(run_program "$answers" "$file.truth" "$baseline")
        check "$verdict" "$baseline"
        bases+=("$b")
      fi
    done
    read -r run_rate later_rate cache_rate < <(taskset -c 0 build/bench/conversion_in_run "$file")
    mb=$(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.0f", b / 1e6 }')
    med() { printf '%s\n' "$@" | median; }
    b=$([ -n "$baseline" ] && med "${bases[@]}" || true)
    peak=$(printf '%s\n' "${peaks[@]}" | sort -g | tail -n 1)
    pairs_peak=$(printf '%s\n' "${pairs_peaks[@]}" | sort -g | tail -n 1)
    awk -v n="$n" -v m="$m" -v s="$shape" -v mb="$mb" -v f="$(med "${floors[@]}")" -v r="$(med "${reads[@]}")" \
        -v a="$(med "${alls[@]}")" -v o="$(med "${ones[@]}")" -v p="$(med "${pairs[@]}")" -v k="$peak" -v q="$pairs_peak" -v b="$b" \
        -v pf="$(med "${faults[@]}")" -v us="$(med "${users[@]}")" -v sy="$(med "${systems[@]}")" -v rr="$run_rate" -v lr="$later_rate" -v cr="$cache_rate" 'BEGIN {
      limit = (8 * (n + 1) * (n + 1) + 32 * 1048576) / 1048576
      pairs_limit = limit + 48 * m * n / 1048576
      printf "%-5d %-5d %-11s %5d %7.2f %6.2f %6.2f %5.2f %6.2f %5.2f %7.2f %5.2f %9.2f %8.0f %6.0f %9.0f %6.0f", n, m, s, mb, f, r, a, a / f, o, o / f, p, p / f, p / a, k / 1024, limit, q / 1024, pairs_limit
      printf " %7d %6.2f %6.2f %7d %7d %7d", pf, us, sy, rr, lr, cr
      if (b != "") printf " %6.2f", b
      printf "\n" }'
  done
done
exit $status
