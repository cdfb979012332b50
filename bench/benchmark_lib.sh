# Shared by the whole-program benchmark scripts: medians and measurements.

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints "seconds peak_kib" for one command: the wall time to the
# millisecond (/usr/bin/time gives only hundredths), the peak from
# /usr/bin/time.
measure() {
  local start=$EPOCHREALTIME peak
  peak=$(/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1)
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v p="$peak" 'BEGIN { printf "%.3f %s\n", e - s, p }'
}

# Prints "seconds peak_kib page_faults user_seconds system_seconds" for one
# command: measure's figures and the minor page faults and CPU times that
# the system counted for it (getrusage, through /usr/bin/time).
measure_usage() {
  local start=$EPOCHREALTIME usage
  usage=$(/usr/bin/time -f '%M %R %U %S' "$@" 2>&1 >/dev/null | tail -n 1)
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v u="$usage" 'BEGIN { printf "%.3f %s\n", e - s, u }'
}

require_time() {
  [ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time) for peak memory" >&2; exit 2; }
}
