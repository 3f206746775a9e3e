#!/usr/bin/env bash
# Times the data file: `stavnikctl convert` of a full file as a whole process (median of RUNS
# runs), then load and save inside the process (datafile_bench).
# Usage: bench/datafile_bench.sh [BUILD_DIR] [RUNS]   (default: build, 21 runs)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${2:-21}"
CTL="$BUILD/bin/stavnikctl"
BENCH="$BUILD/bench/datafile_bench"
for exe in "$CTL" "$BENCH"; do
  [ -x "$exe" ] || { echo "missing $exe: build the project first" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$BENCH" --write-sample "$work/full.txt"
"$CTL" convert "$work/full.txt" "$work/out.txt"
cmp -s "$work/full.txt" "$work/out.txt" || { echo "convert changed a full S2.6 file" >&2; exit 1; }

times=()
for _ in $(seq "$RUNS"); do
  start=$(date +%s%N)
  "$CTL" convert "$work/full.txt" "$work/out.txt"
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$(( RUNS / 2 ))]}
printf 'stavnikctl convert, whole process: median %d.%03d ms, best %d.%03d ms (%d runs)\n' \
  $(( median / 1000 )) $(( median % 1000 )) $(( sorted[0] / 1000 )) $(( sorted[0] % 1000 )) "$RUNS"
"$BENCH"
