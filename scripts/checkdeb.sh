#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks what a user gets from it: the three
# programs with their manual pages, a desktop entry that validates without a warning, the icon,
# copyright and changelog, Qt among Depends, and no error from lintian when it is installed.
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
  [ -s "$tmp/usr/share/man/man1/$b.1.gz" ] || fail "no manual page of $b"
  "$tmp/usr/bin/$b" --version | grep -qx "$b [0-9.]*" || fail "$b --version"
done
for f in copyright changelog.gz; do
  [ -s "$tmp/usr/share/doc/stavnik-cfg/$f" ] || fail "no usr/share/doc/stavnik-cfg/$f"
done
entry="$tmp/usr/share/applications/stavnik-cfg.desktop"
[ -f "$entry" ] || fail "no desktop entry"
complaints="$(desktop-file-validate "$entry" 2>&1)" || true
[ -z "$complaints" ] || fail "desktop entry: $complaints"
[ -s "$tmp/usr/share/icons/hicolor/scalable/apps/stavnik-cfg.svg" ] || fail "no icon"
depends="$(dpkg-deb -f "$deb" Depends)"
grep -q 'libqt6' <<<"$depends" || fail "Depends names no Qt library: $depends"
maintainer="$(dpkg-deb -f "$deb" Maintainer)"
grep -q '@localhost' <<<"$maintainer" && fail "Maintainer on localhost: $maintainer"
checked="3 programs with manual pages, desktop entry valid, icon, copyright, changelog"
if command -v lintian >/dev/null; then
  # Errors fail the check; warnings are shown.
  lintian --fail-on error "$deb" || fail "lintian found errors"
  checked="$checked, lintian without errors"
fi
echo "$(basename "$deb"): $checked; Depends: $depends"
