#!/usr/bin/env bash
# Full read, verify and store of 90 routes against stv2-emu with 9600-baud pacing at timerCOM
# 20, 15 and 12 ms, one edited route stored as only its changed bytes, normal and fast reads
# with and without a USB adapter's 16 ms latency timer (--adapter: only these), then the idle CPU
# of the link (about 10 minutes in all).
# Usage: bench/link_bench.sh [BUILD_DIR] [link_bench options]   (default: build)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
shift || true
BENCH="$BUILD/bench/link_bench"
for exe in "$BENCH" "$BUILD/bin/stv2-emu"; do
  [ -x "$exe" ] || { echo "missing $exe: build the project first" >&2; exit 1; }
done
exec "$BENCH" --bin "$BUILD/bin" "$@"
