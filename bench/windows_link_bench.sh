#!/usr/bin/env bash
# A verify of a full module (90 routes, stv2-emu with its 9600-baud pacing) by stavnikctl on
# Linux and by stavnikctl.exe under Wine on COM1, taking turns, with and without --fast: the
# seconds of each and the ratio Windows / Linux.
# Usage: bench/windows_link_bench.sh [RUNS [LINUX_BUILD [WINDOWS_BUILD]]]
#   (defaults: 3, build, build-windows; scripts/windows.sh and the Linux build first)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-3}"
linux="$(cd "${2:-$root/build}" && pwd)"
win="$(cd "${3:-$root/build-windows}" && pwd)"
for exe in "$linux/bin/stavnikctl" "$linux/bin/stv2-emu" "$win/bin/stavnikctl.exe"; do
  [ -f "$exe" ] || { echo "missing $exe: build the project first" >&2; exit 1; }
done
export WINEDEBUG=-all WINEPREFIX="${STAVNIK_WINDOWS_CACHE:-$HOME/.cache/stavnik-windows}/wine"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
com="$win/wine-com"
mkdir -p "$com"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com/COM1.tty" /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
work="$(mktemp -d)"
emu_pid=""
trap '[ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null; rm -rf "$work"' EXIT

rm -f "$com/COM1.tty"
"$linux/bin/stv2-emu" --link "$com/COM1.tty" --quiet >/dev/null 2>&1 &
emu_pid=$!
for _ in $(seq 50); do [ -e "$com/COM1.tty" ] && break; sleep 0.1; done
"$linux/bin/stavnikctl" read "$work/module.txt" --port "$com/COM1.tty" >/dev/null
wine wineboot >/dev/null 2>&1 || true # the server up before the first timed run

seconds() { # seconds <command...>: wall time of a verify that must find the module equal
  local start end
  start=$(date +%s.%N)
  "$@" >"$work/out" 2>&1 || { echo "failed: $* ($(cat "$work/out"))" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
for fast in "" --fast; do
  lsum=0 wsum=0
  for i in $(seq "$runs"); do
    l=$(seconds "$linux/bin/stavnikctl" verify "$work/module.txt" --port "$com/COM1.tty" $fast)
    w=$(cd "$work" && seconds wine "$win/bin/stavnikctl.exe" verify module.txt --port COM1 $fast)
    printf 'verify %-6s run %d: Linux %6.1f s  Windows under Wine %6.1f s\n' "${fast:-normal}" \
      "$i" "$l" "$w"
    lsum=$(echo "$lsum + $l" | bc) wsum=$(echo "$wsum + $w" | bc)
  done
  printf 'verify %-6s mean:  Linux %6.1f s  Windows under Wine %6.1f s  ratio %.2f\n' \
    "${fast:-normal}" "$(echo "$lsum / $runs" | bc -l)" "$(echo "$wsum / $runs" | bc -l)" \
    "$(echo "$wsum / $lsum" | bc -l)"
done
