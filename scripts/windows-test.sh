#!/usr/bin/env bash
# The Windows programs under Wine: the unit tests, stavnikctl.exe's show and convert against
# the Linux build's on the project's test data (byte for byte, line ends included), and the main
# window on Xvfb with a screenshot.
#   scripts/windows-test.sh [WINDOWS_BUILD [LINUX_BUILD]]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
win="${1:-$here/build-windows}"
linux="${2:-$here/build}"
export WINEDEBUG=-all WINEPREFIX="${STAVNIK_WINDOWS_CACHE:-$HOME/.cache/stavnik-windows}/wine"
fail=0
say() { echo "windows-test: $*"; }

# A new prefix is made on first use, which takes longer than any check here waits.
wineboot --init >/dev/null 2>&1 || true
say "unit tests under Wine"
for t in "$win"/tests/unit_*.exe; do
  name="$(basename "$t" .exe)"
  if (cd "$(dirname "$t")" && timeout 300 wine "$t" -o "$win/$name.log,txt" >/dev/null 2>&1); then
    say "  passed $name"
  else
    say "  FAILED $name (see $win/$name.log)"; fail=1
  fi
done

say "stavnikctl.exe against the Linux build"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for f in "$here"/tests/data/s*.txt; do
  case "$f" in *.show.txt) continue ;; esac
  b="$(basename "$f" .txt)"
  cp "$f" "$out/$b.txt"
  for cmd in show convert; do
    args=("$cmd" "$b.txt"); [ "$cmd" = convert ] && args+=("-")
    (cd "$out" && "$linux/bin/stavnikctl" "${args[@]}" >"$b.$cmd.linux" 2>/dev/null) || true
    (cd "$out" && wine "$win/bin/stavnikctl.exe" "${args[@]}" >"$b.$cmd.win" 2>/dev/null) || true
    if cmp -s "$out/$b.$cmd.linux" "$out/$b.$cmd.win" && [ -s "$out/$b.$cmd.win" ]; then
      say "  same: $cmd $b.txt"
    else
      say "  DIFFERENT: $cmd $b.txt"; fail=1
    fi
  done
done

say "stavnik-cfg.exe's main window on Xvfb"
# The tests above ran Wine without a display; its server must end before a window can be drawn
# on one, or the window goes to a desktop nobody sees.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
shot="$win/stavnik-cfg-wine.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine "$1" & pid=$!
  for i in $(seq 120); do
    sleep 1
    if xdotool search --name "Stavnik V2ext" >/dev/null 2>&1; then
      sleep 2; import -window root "$2"; break
    fi
  done
  kill $pid 2>/dev/null; wineserver -k 2>/dev/null || true' _ "$win/bin/stavnik-cfg.exe" "$shot"
if [ -s "$shot" ]; then say "  shown: $shot"; else say "  the main window did not appear"; fail=1; fi
[ "$fail" -eq 0 ] && say "all passed" || { say "some checks failed"; exit 1; }
