#!/usr/bin/env bash
# The Windows programs under Wine, step by step as each says (README: Platforms, Windows).
#   scripts/windows-test.sh [WINDOWS_BUILD [LINUX_BUILD]]
# The Linux programs and e2e tests compared with are built first when missing (default build/).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
say() { echo "windows-test: $*"; }
win="$(cd "${1:-$here/build-windows}" 2>/dev/null && pwd)" ||
  { say "no Windows build at ${1:-$here/build-windows}: run scripts/windows.sh first"; exit 1; }
linux="$(mkdir -p "${2:-$here/build}" && cd "${2:-$here/build}" && pwd)"
export WINEDEBUG=-all WINEPREFIX="${STAVNIK_WINDOWS_CACHE:-$HOME/.cache/stavnik-windows}/wine"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
ctl_exe="$win/bin/stavnikctl.exe"
cfg_exe="$win/bin/stavnik-cfg.exe"
fail=0
failed() { say "  FAILED: $*"; fail=1; }
check() { # check <what> <command...>: says what passed, or that it failed
  local what="$1"; shift
  if "$@"; then say "  $what"; else failed "$what"; fi
}
# A Wine server started without a display would put the next window on a desktop nobody sees.
restart_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

# A new prefix is made on first use, which takes longer than any check here waits.
mkdir -p "$(dirname "$WINEPREFIX")"
wineboot --init >/dev/null 2>&1 || true
# Wine links the user's Desktop, Documents and the like to the home folder: the installer's
# desktop shortcut would land there. The test prefix gets folders of its own.
for f in "$WINEPREFIX"/drive_c/users/*/*; do
  [ -L "$f" ] && rm "$f" && mkdir "$f"
done
say "unit tests under Wine"
for t in "$win"/tests/unit_*.exe; do
  name="$(basename "$t" .exe)"
  check "$name (log: $win/$name.log)" \
    bash -c 'cd "$1" && timeout 300 wine "$2" -o "$3,txt" >/dev/null 2>&1' _ "$(dirname "$t")" "$t" \
    "$win/$name.log"
done

say "icon, version information and manifest"
for exe in "$cfg_exe" "$ctl_exe"; do
  for type in 14:icon 16:version 24:manifest; do
    check "$(basename "$exe"): ${type#*:}" bash -c 'wrestool -l --type="$1" "$2" | grep -q .' _ \
      "${type%%:*}" "$exe"
  done
done

# The Linux programs and the e2e tests that the Windows program stands in for.
linux_needs=(bin/stavnikctl bin/stv2-emu tests/e2e_link_cli tests/e2e_link_clistop)
have_linux=1
for f in "${linux_needs[@]}"; do [ -x "$linux/$f" ] || have_linux=0; done
if [ "$have_linux" -eq 0 ]; then
  say "building the Linux programs to compare with, in $linux"
  targets=(); for f in "${linux_needs[@]}"; do targets+=(--target "$(basename "$f")"); done
  if cmake -S "$here" -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
    cmake --build "$linux" -j"${JOBS:-2}" "${targets[@]}" >"$out/linux-build.log" 2>&1; then
    have_linux=1
  else
    tail -20 "$out/linux-build.log" 2>/dev/null || true
    failed "no Linux build in $linux (see above): the comparisons and the link's cases did not run"
  fi
fi

if [ "$have_linux" -eq 1 ]; then
  say "stavnikctl.exe against the Linux build"
  for f in "$here"/tests/data/s*.txt; do
    case "$f" in *.show.txt) continue ;; esac
    b="$(basename "$f" .txt)"
    cp "$f" "$out/$b.txt"
    for cmd in show convert; do
      args=("$cmd" "$b.txt"); [ "$cmd" = convert ] && args+=("-")
      (cd "$out" && "$linux/bin/stavnikctl" "${args[@]}" >"$b.$cmd.linux" 2>/dev/null) || true
      (cd "$out" && wine "$ctl_exe" "${args[@]}" >"$b.$cmd.win" 2>/dev/null) || true
      check "same: $cmd $b.txt" bash -c 'cmp -s "$1" "$2" && [ -s "$2" ]' _ \
        "$out/$b.$cmd.linux" "$out/$b.$cmd.win"
    done
  done
fi

say "stavnikctl.exe's PDF sheet, read back by pdftotext"
(cd "$out" && cp "$here/tests/data/s26_mixed.txt" . &&
  wine "$ctl_exe" export s26_mixed.txt sheet.pdf >/dev/null 2>&1) || true
text="$(pdftotext "$out/sheet.pdf" - 2>/dev/null || true)"
for want in "TL 5 → TL 12" "Vjezd na 1. kolej – Žďár" "s26_mixed.txt"; do
  check "in the PDF: $want" grep -qF "$want" <<<"$text"
done

# COM1 is the emulator's terminal through a link that each case points anew: Wine maps COM
# ports from its registry when its server starts, so the mapping is made once.
com="$win/wine-com"
mkdir -p "$com"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com/COM1.tty" /f >/dev/null 2>&1 ||
  failed "COM1 could not be mapped in Wine's registry"
restart_wine
# A server started by a program writes its own report to that program's standard error when it
# ends, which a compared message must not contain: one server outlives all the link's cases.
wineserver -p >/dev/null 2>&1 </dev/null || true
cat >"$com/stavnikctl" <<EOF
#!/usr/bin/env bash
# stavnikctl.exe under Wine in place of stavnikctl: --port /dev/... becomes COM1.
args=()
map() {
  case "\$1" in
    /dev/*) ln -sfn "\$1" "$com/COM1.tty"; args+=(--port COM1) ;;
    *) args+=(--port "\$1") ;;
  esac
}
while [ \$# -gt 0 ]; do
  case "\$1" in
    --port) map "\$2"; shift ;;
    --port=*) map "\${1#--port=}" ;;
    *) args+=("\$1") ;;
  esac
  shift
done
exec wine "$ctl_exe" "\${args[@]}"
EOF
chmod +x "$com/stavnikctl"

if [ "$have_linux" -eq 1 ]; then
  say "the link's end-to-end cases with stavnikctl.exe on COM1 against stv2-emu"
  # identify, read, verify, store with read-back, header only, a module that falls silent;
  # Ctrl-C in a read, only changed bytes stored. Cases of Linux alone (SIGTERM, device paths,
  # the settings' [Ports]) are left out.
  e2e() {
    check "$* (log: $win/$1.log)" bash -c 'cd "$1" && STAVNIK_CTL="$2" timeout 900 "$3/tests/$5" \
      "${@:6}" -o "$4/$5.log,txt" >/dev/null 2>&1' _ "$out" "$com/stavnikctl" "$linux" "$win" "$@"
  }
  e2e e2e_link_cli identify identifySilentModule readVerifyStore storeHeaderOnly failures
  e2e e2e_link_clistop "run:read, Ctrl-C" "run:only changed: capacity, 2 writes" \
    "run:nothing changed" "run:base missing"

  say "the port lost in the middle of a read, on Linux and on Windows"
  lost() { # lost <stavnikctl> <port> <name>: status, first line of stderr, a file written or not
    local emu_pid ctl_pid
    rm -f "$com/COM1.tty" "$out/lost-$3.txt"
    "$linux/bin/stv2-emu" --link "$com/COM1.tty" --quiet >/dev/null 2>&1 &
    emu_pid=$!
    for _ in $(seq 50); do [ -e "$com/COM1.tty" ] && break; sleep 0.1; done
    (cd "$out" && exec "$1" read "lost-$3.txt" --port "$2" >/dev/null 2>"lost-$3.err") &
    ctl_pid=$!
    sleep 4
    kill -9 "$emu_pid"; wait "$emu_pid" 2>/dev/null || true
    local code=0; wait "$ctl_pid" || code=$?
    echo "exit $code; $(head -1 "$out/lost-$3.err"); file: $([ -e "$out/lost-$3.txt" ] && echo written || echo none)"
  }
  want="$(lost "$linux/bin/stavnikctl" "$com/COM1.tty" linux)"
  got="$(lost "$com/stavnikctl" COM1 win)"
  check "Linux: $want; Windows: $got" [ "$got" = "$want" ]

  say "one module at 9600 baud, normal and --fast: Linux and Windows byte for byte"
  steps=("identify" "read read.txt" "read fast.txt --fast" "verify edit.txt --fast"
    "store edit.txt --what all --fast" "verify edit.txt")
  sequence() { # sequence <stavnikctl> <port> <folder>: what each step printed, and the module
    local d="$win/$3" emu_pid n=0
    rm -rf "$d" && mkdir -p "$d"
    cp "$here/tests/data/s26_mixed.txt" "$d/edit.txt"
    rm -f "$com/COM1.tty"
    "$linux/bin/stv2-emu" --link "$com/COM1.tty" --quiet --save "$d/module.txt" \
      >/dev/null 2>&1 &
    emu_pid=$!
    for _ in $(seq 50); do [ -e "$com/COM1.tty" ] && break; sleep 0.1; done
    for s in "${steps[@]}"; do
      n=$((n + 1))
      # shellcheck disable=SC2086 # a step is its words
      (cd "$d" && XDG_CONFIG_HOME="$d/config" XDG_DATA_HOME="$d/data" "$1" $s --port "$2" \
        >"$n.out" 2>"$n.err" && echo "exit 0" >>"$n.out" || echo "exit $?" >>"$n.out")
      sed -i 's/, [0-9]*,[0-9] s$/, seconds/' "$d/$n.out" # a store's time is its own
    done
    kill "$emu_pid"; wait "$emu_pid" 2>/dev/null || true
  }
  sequence "$linux/bin/stavnikctl" "$com/COM1.tty" same-linux
  sequence "$com/stavnikctl" COM1 same-win
  n=0
  for s in "${steps[@]}"; do
    n=$((n + 1))
    check "same: $s: $(head -c 60 "$win/same-win/$n.out" | tr '\n' ' ')" bash -c \
      'cmp -s "$1/$3.out" "$2/$3.out" && cmp -s "$1/$3.err" "$2/$3.err"' _ \
      "$win/same-linux" "$win/same-win" "$n"
  done
  for f in read.txt fast.txt module.txt; do
    check "same: $f" bash -c 'cmp -s "$1" "$2" && [ -s "$2" ]' _ "$win/same-linux/$f" \
      "$win/same-win/$f"
  done
fi

if [ "$have_linux" -eq 1 ]; then
  say "\"Test comm\" in stavnik-cfg.exe's main window on Xvfb"
  restart_wine
  shot="$win/stavnik-cfg-wine.png"
  rm -f "$shot" "$com/COM1.tty"
  "$linux/bin/stv2-emu" --link "$com/COM1.tty" --capacity 64 --log "$out/window.log" \
    >/dev/null 2>&1 &
  emu_pid=$!
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wine "$1" & pid=$!
    for i in $(seq 120); do
      sleep 1
      if w="$(xdotool search --name "Stavnik V2ext" 2>/dev/null | head -1)" && [ -n "$w" ]; then
        sleep 3
        # The button sits at the bottom left, above the status bar (no window manager here:
        # the geometry is the window'"'"'s inside).
        eval "$(xdotool getwindowgeometry --shell "$w")"
        # Wine misses a press and release that come together.
        xdotool mousemove "$((X + 110))" "$((Y + HEIGHT - 45))" sleep 0.3 mousedown 1 sleep 0.2 \
          mouseup 1
        sleep 5; import -window root "$2"; break
      fi
    done
    kill $pid 2>/dev/null; wineserver -k 2>/dev/null || true' _ "$cfg_exe" "$shot"
  kill "$emu_pid" 2>/dev/null; wait "$emu_pid" 2>/dev/null || true
  check "the main window, shown in $shot" [ -s "$shot" ]
  # Its capacity is asked for only after the version came back: both directions worked.
  check "\"Test comm\" got the version, then the capacity" grep -q 'M capacity -> 64 routes' \
    "$out/window.log"
fi

say "stavnikctl.exe started as from Explorer, in a console of its own"
# It must still be there, waiting for a key, long after it started; the key ends it.
restart_wine
held="$(xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine start /unix "$1" >/dev/null 2>&1
  sleep 10
  pgrep -f "^[A-Za-z]:.*stavnikctl\\.exe" >/dev/null && echo waiting || echo closed
  for w in $(xdotool search --name "stavnikctl" 2>/dev/null); do
    xdotool windowfocus "$w" 2>/dev/null; xdotool key --window "$w" space 2>/dev/null
  done
  sleep 4
  pgrep -f "^[A-Za-z]:.*stavnikctl\\.exe" >/dev/null && echo "still there" || echo "ended by the key"
  wineserver -k 2>/dev/null || true' _ "$ctl_exe" | tr '\n' ' ')"
check "$held" [ "$held" = "waiting ended by the key " ]

say "the installer, silently, for this user"
setup="$(ls "$win"/stavnik-cfg-*-setup.exe 2>/dev/null | head -1)"
if [ -z "$setup" ]; then
  failed "no installer in $win"
else
  wine "$setup" /S >/dev/null 2>&1; wineserver -w
  unix() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
  programs="$(unix APPDATA)/Microsoft/Windows/Start Menu/Programs/Stavnik CFG"
  desktop="$(unix USERPROFILE)/Desktop/Stavnik CFG.lnk"
  dir="$(unix LOCALAPPDATA)/Programs/Stavnik CFG"
  key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\StavnikCFG'
  version="$(sed -n 's/^project(StavnikCFG VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"
  check "installed in $dir, 4 Start-menu entries, a desktop shortcut" bash -c \
    'test -f "$1/CTIMNE.txt" -a -f "$2/Stavnik CFG.lnk" -a -f "$3" &&
     [ "$(ls "$2" | grep -c "\.lnk$")" = 4 ]' _ "$dir" "$programs" "$desktop"
  check "its uninstall entry" bash -c 'wine reg query "$1" >/dev/null 2>&1' _ "$key"
  check "\"Open with\" for .txt, the default program of .txt untouched" bash -c \
    'wine reg query "HKCU\Software\Classes\.txt\OpenWithProgids" /v StavnikCFG.DataFile \
       >/dev/null 2>&1 && ! wine reg query "HKCU\Software\Classes\.txt" /ve 2>/dev/null |
       grep -q StavnikCFG'
  check "the installed stavnikctl.exe runs" \
    [ "$(wine "$dir/stavnikctl.exe" --version 2>/dev/null | tr -d '\r')" = "stavnikctl $version" ]
  wine "$dir/uninstall.exe" /S >/dev/null 2>&1; wineserver -w
  left=()
  for f in "$dir" "$programs" "$desktop"; do [ -e "$f" ] && left+=("$f"); done
  for k in "$key" 'HKCU\Software\Stavnik CFG' 'HKCU\Software\Classes\StavnikCFG.DataFile' \
    'HKCU\Software\Classes\Applications\stavnik-cfg.exe'; do
    wine reg query "$k" >/dev/null 2>&1 && left+=("$k")
  done
  wine reg query 'HKCU\Software\Classes\.txt\OpenWithProgids' /v StavnikCFG.DataFile \
    >/dev/null 2>&1 && left+=("the .txt \"Open with\" value")
  check "uninstalled: no files, Start-menu entries, shortcut or registry keys left${left[*]:+ (left: ${left[*]})}" \
    [ ${#left[@]} -eq 0 ]
fi

[ "$fail" -eq 0 ] && say "all passed" || { say "some checks failed"; exit 1; }
