#!/usr/bin/env bash
# Several programs writing into one module history at its bound at once: WRITERS processes
# write ROUNDS entries each into a folder already holding 500 entries. Every write takes a
# sequence number under the folder's lock, so the entries kept must be exactly the newest 500
# numbers, each listed by `stavnikctl history` with its data file. Prints the entries lost
# (goal 0) and the final count (goal 500); exit 1 when either is off.
# Usage: bench/history_race.sh [BUILD_DIR] [WRITERS] [ROUNDS]   (default: build, 4, 200)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
WRITERS="${2:-4}"
ROUNDS="${3:-200}"
CTL="$BUILD/bin/stavnikctl"
BENCH="$BUILD/bench/history_bench"
for exe in "$CTL" "$BENCH"; do
  [ -x "$exe" ] || { echo "missing $exe: build the project first" >&2; exit 1; }
done

work="$(mktemp -d "$BUILD/history-race-XXXXXX")"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
folder="$work/stavnik-cfg/history"
mkdir -p "$folder"
"$BENCH" --fill "$folder" 2>/dev/null
# A stranger's files, which must come through untouched.
echo "my own notes" > "$folder/notes.txt"
touch -d '1 day ago' "$folder/notes.txt"
before=$(sha256sum "$folder/notes.txt")

start=$(date +%s%N)
pids=()
for w in $(seq "$WRITERS"); do
  "$BENCH" --write "$folder" $(( w * 100000 )) "$ROUNDS" 2>"$work/writer-$w.err" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=$(( failed + 1 )); done
ms=$(( ($(date +%s%N) - start) / 1000000 ))
grep -h '^history_bench:' "$work"/writer-*.err >&2 || true

writes=$(( 500 + WRITERS * ROUNDS ))
listed=$(XDG_DATA_HOME="$work" "$CTL" history 2>"$work/list.err" | wc -l)
# The sequence numbers kept: the newest 500 of all writes, none missing.
kept=$(ls "$folder" | sed -n 's/^s\([0-9]\{10\}\)-.*\.entry$/\1/p' | sed 's/^0*//' | sort -n)
expected=$(seq $(( writes - 499 )) "$writes")
lost=$(comm -13 <(echo "$kept" | sort) <(echo "$expected" | sort) | grep -c . || true)
damaged=$(grep -c skipped "$work/list.err" || true)
[ "$(sha256sum "$folder/notes.txt")" = "$before" ] && stranger=untouched || stranger=CHANGED

printf '%d writers x %d rounds at the bound of 500: %d writes in %d ms, %d writers failed\n' \
  "$WRITERS" "$ROUNDS" $(( WRITERS * ROUNDS )) "$ms" "$failed"
printf 'entries lost: %d, final count: %d (listed %d, damaged %d), stranger'"'"'s file %s\n' \
  "$lost" "$(echo "$kept" | grep -c .)" "$listed" "$damaged" "$stranger"
[ "$failed" -eq 0 ] && [ "$lost" -eq 0 ] && [ "$listed" -eq 500 ] && [ "$damaged" -eq 0 ] &&
  [ "$stranger" = untouched ]
