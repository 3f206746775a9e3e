#!/usr/bin/env bash
# Times the module history at its bound of 500 entries: `stavnikctl history` as a whole
# process against `ls -l` of the same folder (median of RUNS runs each), then the history's
# write, list and window inside one process (history_bench).
# Usage: bench/history_bench.sh [BUILD_DIR] [RUNS]   (default: build, 11 runs)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${2:-11}"
CTL="$BUILD/bin/stavnikctl"
BENCH="$BUILD/bench/history_bench"
for exe in "$CTL" "$BENCH"; do
  [ -x "$exe" ] || { echo "missing $exe: build the project first" >&2; exit 1; }
done

# Beside the build, on the disk a user's history would be on (/tmp may be in memory).
work="$(mktemp -d "$BUILD/history-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
folder="$work/stavnik-cfg/history"
mkdir -p "$folder"
"$BENCH" --fill "$folder" 2>/dev/null
count=$(XDG_DATA_HOME="$work" "$CTL" history | wc -l)
[ "$count" -eq 500 ] || { echo "stavnikctl history listed $count entries, not 500" >&2; exit 1; }

# Median wall-clock milliseconds of RUNS runs of a command.
median_ms() {
  local times=()
  for _ in $(seq "$RUNS"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  local sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  local us=${sorted[$(( RUNS / 2 ))]}
  printf '%d.%03d' $(( us / 1000 )) $(( us % 1000 ))
}

ls_ms=$(median_ms ls -l "$folder")
ctl_ms=$(XDG_DATA_HOME="$work" median_ms "$CTL" history)
files=$(ls "$folder" | wc -l)
printf 'ls -l of the folder (%d files): median %s ms (%d runs)\n' "$files" "$ls_ms" "$RUNS"
printf 'stavnikctl history, 500 entries, whole process: median %s ms (%d runs)\n' "$ctl_ms" "$RUNS"
"$BENCH" --runs 50 --folder "$work" 2>/dev/null
