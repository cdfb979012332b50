#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Neighbor joining and BIONJ on one thread against the peers, alternating
# in one run, on one noisy matrix per n (a random binary tree's path
# lengths, each pair's times 1 + 0.1 N(0, 1), six decimals, as dnadist
# writes them; bench/make_joining_matrix): ours (the engine alone, timed by
# bench/joining_timer), ape's nj and bionj (timed inside R, reading left
# out), PHYLIP's neighbor and clearcut (-N, traditional neighbor joining;
# and its default relaxed neighbor joining), whole programs. Prints per n
# and program the median wall and CPU seconds, how many times more CPU it
# takes than ours (nj, or bionj for ape's bionj), and the Robinson-Foulds
# distance of its tree to ours (rf_pairs on the Newick trees). The machine
# may be shared: CPU seconds are the steadier figure; the load is printed.
# The peers: tests/install_packages.sh phylip clearcut (ape comes with the tests).
#   bench/run_joining_benchmark.sh [ROUNDS] [N ...]
#   (default: 3 rounds, 500 1000 2000 4000; peers slower than SLOW_PEER_S
#   seconds, default 120, are run once per n, and ape's bionj, which takes
#   minutes from n = 2,000 on, not above APE_BIONJ_MAX_N, default 2000)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/benchmark_lib.sh
require_time
rounds=${1:-3}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(500 1000 2000 4000)
slow_peer_s=${SLOW_PEER_S:-120}
ape_bionj_max_n=${APE_BIONJ_MAX_N:-2000}
neighbor=/usr/lib/phylip/bin/neighbor

cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_pairs make_joining_matrix joining_timer >/dev/null
data=build/bench-data
mkdir -p "$data"
grep -m 1 'model name' /proc/cpuinfo | sed 's/.*: /CPU: /'
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
tools=(ours_nj ours_bionj ape_nj ape_bionj neighbor clearcut_nj clearcut_rnj)

# One run of one tool: "wall cpu", its tree in $work/TOOL.nwk.
run_tool() {
  local tool=$1 matrix=$2 work=$3
  case $tool in
    ours_nj) build/bench/joining_timer nj "$matrix" "$work/$tool.nwk" 1 ;;
    ours_bionj) build/bench/joining_timer bionj "$matrix" "$work/$tool.nwk" 1 ;;
    ape_nj) Rscript bench/ape_joining_timer.R nj "$matrix" "$work/$tool.nwk" ;;
    ape_bionj) Rscript bench/ape_joining_timer.R bionj "$matrix" "$work/$tool.nwk" ;;
    neighbor)
      (cd "$work" && rm -f outfile outtree && cp "$OLDPWD/$matrix" infile &&
        measure_usage sh -c "printf 'Y\n' | $neighbor >/dev/null" | awk '{ print $1, $4 + $5 }' && mv outtree "$tool.nwk") ;;
    clearcut_nj) measure_usage clearcut -N -d --in="$matrix" --out="$work/$tool.nwk" | awk '{ print $1, $4 + $5 }' ;;
    clearcut_rnj) measure_usage clearcut -d --in="$matrix" --out="$work/$tool.nwk" | awk '{ print $1, $4 + $5 }' ;;
  esac
}

printf '%-6s %-13s %9s %9s %9s %4s\n' n program wall_s cpu_s cpu_×ours RF
for n in "${sizes[@]}"; do
  matrix="$data/joining_${n}.phy"
  [ -s "$matrix" ] || build/bench/make_joining_matrix "$n" 0.1 "$n" "$matrix"
  work=$(mktemp -d)
  declare -A walls=() cpus=() once=()
  [ "$n" -le "$ape_bionj_max_n" ] || once[ape_bionj]=skipped
  for round in $(seq "$rounds"); do
    for tool in "${tools[@]}"; do
      [ -n "${once[$tool]:-}" ] && continue
      read -r wall cpu < <(run_tool "$tool" "$matrix" "$work")
      walls[$tool]+="$wall "
      cpus[$tool]+="$cpu "
      awk -v w="$wall" -v s="$slow_peer_s" 'BEGIN { exit !(w > s) }' && once[$tool]=1
    done
  done
  # A tree left out is the NJ tree again, so that the table keeps its columns.
  for tool in "${tools[@]}"; do cat "$work/$tool.nwk" 2>/dev/null || cat "$work/ours_nj.nwk"; done >"$work/all.nwk"
  build/rf_pairs "$work/all.nwk" --format newick >"$work/rf.tsv"
  ours_cpu_nj=$(tr ' ' '\n' <<<"${cpus[ours_nj]}" | grep . | median)
  ours_cpu_bionj=$(tr ' ' '\n' <<<"${cpus[ours_bionj]}" | grep . | median)
  for k in "${!tools[@]}"; do
    tool=${tools[$k]}
    if [ "${once[$tool]:-}" = skipped ]; then
      printf '%-6s %-13s %9s %9s %9s %4s\n' "$n" "$tool" - - - -
      continue
    fi
    wall=$(tr ' ' '\n' <<<"${walls[$tool]}" | grep . | median)
    cpu=$(tr ' ' '\n' <<<"${cpus[$tool]}" | grep . | median)
    # Against ours: nj's tree, or bionj's for the BIONJs (rows 1 and 2 of the table).
    case $tool in *bionj) ours=$ours_cpu_bionj row=3 ;; *) ours=$ours_cpu_nj row=2 ;; esac
    rf=$(awk -F'\t' -v r="$row" -v c="$((k + 2))" 'NR == r { print $c }' "$work/rf.tsv")
    printf '%-6s %-13s %9.3f %9.3f %9.1f %4s\n' "$n" "$tool" "$wall" "$cpu" \
      "$(awk -v a="$cpu" -v b="$ours" 'BEGIN { print (b > 0 ? a / b : 0) }')" "$rf"
  done
  rm -rf "$work"
  unset walls cpus once
done
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
