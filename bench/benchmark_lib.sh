# Shared by the whole-program benchmark scripts: medians and measurements.

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints "seconds peak_kib" for one command.
measure() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -n 1; }

require_time() {
  [ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time) for peak memory" >&2; exit 2; }
}
