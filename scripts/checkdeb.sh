#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks what a user gets from it: the three
# programs, a desktop entry that validates without a warning, the icon, and Qt among Depends.
set -euo pipefail
build="${1:?usage: checkdeb.sh BUILD_DIR}"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "checkdeb: $deb: $*" >&2; exit 1; }

rm -f "$build"/stavnik-cfg_*.deb
deb="$build/stavnik-cfg_*.deb"
(cd "$build" && cpack -G DEB) >"$tmp/cpack.log" 2>&1 || fail "cpack failed: $(cat "$tmp/cpack.log")"
debs=("$build"/stavnik-cfg_*.deb)
deb="${debs[0]}"

dpkg-deb -x "$deb" "$tmp"
for b in stavnik-cfg stavnikctl stv2-emu; do
  [ -x "$tmp/usr/bin/$b" ] || fail "no usr/bin/$b"
done
entry="$tmp/usr/share/applications/stavnik-cfg.desktop"
[ -f "$entry" ] || fail "no desktop entry"
complaints="$(desktop-file-validate "$entry" 2>&1)" || true
[ -z "$complaints" ] || fail "desktop entry: $complaints"
[ -s "$tmp/usr/share/icons/hicolor/scalable/apps/stavnik-cfg.svg" ] || fail "no icon"
depends="$(dpkg-deb -f "$deb" Depends)"
grep -q 'libqt6' <<<"$depends" || fail "Depends names no Qt library: $depends"
echo "$(basename "$deb"): 3 programs, desktop entry valid, icon; Depends: $depends"
