#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds
# (default 60), starting from the saved corpus. Fails on any finding.
#   fuzz/run_fuzzers.sh [SECONDS] [WORK_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
work=${2:-build-fuzz/corpus}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DRF_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2

export ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in engine_fuzzer run_loop_fuzzer matrix_formats_fuzzer tree_files_fuzzer; do
  mkdir -p "$work/$target"
  echo "== $target for ${seconds}s"
  # Matrix files may ask for any n: allocations are refused by the system,
  # not by libFuzzer's malloc limit.
  status=0
  build-fuzz/fuzz/$target -max_total_time="$seconds" -max_len=20000 -close_fd_mask=1 \
    -malloc_limit_mb=100000000 -rss_limit_mb=6144 -print_final_stats=1 \
    -artifact_prefix="$work/$target-" "$work/$target" "fuzz/corpus/$target" >"$work/$target.log" 2>&1 || status=$?
  # Refused huge allocations are warned about one by one: expected, not shown.
  grep -E '^(INFO: Seed|#[0-9]+[[:space:]]+(INITED|DONE)|stat::|==[0-9]+==|SUMMARY|.*invariant broken)' "$work/$target.log" |
    grep -v 'failed to allocate' || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$work/$target.log" >&2
    echo "$target: exit $status, finding saved under $work" >&2
    exit 1
  fi
done
