#!/usr/bin/env bash
# Builds the Windows programs on Debian: a static Qt for MinGW-w64 once (kept in a cache folder
# outside the tree and reused), then stavnik-cfg.exe and stavnikctl.exe against it, packed into
# stavnik-cfg-<version>-windows-x64.zip and the installer stavnik-cfg-<version>-setup.exe, each
# with the licence, the Windows quick start (CTIMNE.txt) and the help page.
#   scripts/windows.sh [--qt-only] [--test]
#   STAVNIK_WINDOWS_CACHE  the cache folder (default ~/.cache/stavnik-windows)
#   JOBS                   parallel compile jobs (default: the number of cores)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cache="${STAVNIK_WINDOWS_CACHE:-$HOME/.cache/stavnik-windows}"
jobs="${JOBS:-$(nproc)}"
qt="$cache/qt-6.4.2-mingw-static"
build="$here/build-windows"
qt_only=0 run_tests=0
for a in "$@"; do
  case "$a" in
    --qt-only) qt_only=1 ;;
    --test) run_tests=1 ;;
    *) echo "usage: scripts/windows.sh [--qt-only] [--test]" >&2; exit 2 ;;
  esac
done

# The host's Qt gives the build tools, the version check and Qt's Czech translations.
need=()
packages=(g++-mingw-w64-x86-64-posix wine wine64 ninja-build cmake zip dpkg-dev xz-utils nsis
  qt6-base-dev qt6-translations-l10n)
[ "$run_tests" -eq 1 ] && packages+=(xvfb xauth xdotool imagemagick poppler-utils icoutils
  qt6-serialport-dev g++ make pkg-config libgl-dev)
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
sudo_=""; [ "$(id -u)" -eq 0 ] || sudo_=sudo
# Another apt (an unattended upgrade, a second terminal) is waited for, not failed on.
apt_=($sudo_ apt-get -o DPkg::Lock::Timeout=900)
if [ ${#need[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${apt_[@]}" install -y "${need[@]}"
fi

# Qt's sources come from the archive, which needs a deb-src line; the exact one for this system.
deb_src_hint() {
  local codename; codename="$(. /etc/os-release; echo "$VERSION_CODENAME")"
  echo "windows.sh: Qt's sources could not be fetched: apt has no deb-src line for $codename." >&2
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    echo "  In /etc/apt/sources.list.d/debian.sources change the first entry's line" >&2
    echo "    Types: deb" >&2
    echo "  to" >&2
    echo "    Types: deb deb-src" >&2
    echo "  (for instance: $sudo_ sed -i '0,/^Types: deb\$/s//Types: deb deb-src/'" \
         "/etc/apt/sources.list.d/debian.sources), then run: $sudo_ apt-get update" >&2
  else
    echo "  Add this line to /etc/apt/sources.list, then run: $sudo_ apt-get update" >&2
    echo "    deb-src http://deb.debian.org/debian $codename main" >&2
  fi
}

build_qt() {
  mkdir -p "$cache/src"
  cd "$cache/src"
  if [ ! -d qtbase ]; then
    if ! ls qt6-base_*.orig.tar.xz >/dev/null 2>&1; then
      if ! "${apt_[@]}" source --download-only qt6-base; then
        deb_src_hint
        exit 1
      fi
    fi
    rm -rf qtbase.tmp && mkdir qtbase.tmp
    tar -xf qt6-base_*.orig.tar.xz -C qtbase.tmp --strip-components=1
    mv qtbase.tmp qtbase
  fi
  local hostver
  hostver="$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | sed 's/[+-].*//')"
  case "$(ls qt6-base_*.orig.tar.xz)" in
    *"_${hostver}+"*) ;;
    *) echo "windows.sh: the host's Qt ($hostver) must be the version of the sources" >&2; exit 1 ;;
  esac
  # The toolchain kept beside the build, so that a build begun from another clone can go on.
  cmp -s "$here/cmake/mingw-w64.cmake" "$cache/mingw-w64.cmake" ||
    cp "$here/cmake/mingw-w64.cmake" "$cache/mingw-w64.cmake"
  local options=(-G Ninja
    -DCMAKE_TOOLCHAIN_FILE="$cache/mingw-w64.cmake"
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
    -DCMAKE_INSTALL_PREFIX="$qt.tmp"
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_icu=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DINPUT_opengl=desktop
    -DFEATURE_opengl_dynamic=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_libjpeg=OFF
    -DFEATURE_sql_sqlite=OFF)
  # An interrupted build (an hour of it) goes on where it stopped when nothing has changed.
  if [ "$(cat "$cache/qt-build/stavnik-options" 2>/dev/null)" != "${options[*]}" ]; then
    rm -rf "$cache/qt-build"
    cmake -S qtbase -B "$cache/qt-build" "${options[@]}"
    echo "${options[*]}" >"$cache/qt-build/stavnik-options"
  else
    echo "windows.sh: going on with the static Qt's build in $cache/qt-build"
  fi
  cmake --build "$cache/qt-build" --parallel "$jobs"
  rm -rf "$qt.tmp"
  cmake --install "$cache/qt-build"
  rm -rf "$qt"
  mv "$qt.tmp" "$qt"
  rm -rf "$cache/qt-build"
}

if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  start=$(date +%s)
  (build_qt)
  echo "windows.sh: static Qt built in $(( $(date +%s) - start )) s into $qt"
fi
[ "$qt_only" -eq 1 ] && exit 0

# The programs, cross-built against that Qt. The emulator needs pseudo-terminals and is left out
# by the build itself; the unit tests come along for Wine.
start=$(date +%s)
cmake -S "$here" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_FIND_ROOT_PATH="$qt" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$build" --parallel "$jobs"
echo "windows.sh: programs built in $(( $(date +%s) - start )) s"

version="$(sed -n 's/^project(StavnikCFG VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"
zip="$build/stavnik-cfg-$version-windows-x64.zip"
stage="$build/stavnik-cfg-$version"
rm -rf "$stage" "$zip"
mkdir -p "$stage"
cp "$build/bin/stavnik-cfg.exe" "$build/bin/stavnikctl.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
# Notepad before Windows 10 reads UTF-8 as such only after a byte-order mark.
crlf() { sed 's/\r*$/\r/' "$@"; }
crlf "$here/LICENSE" >"$stage/LICENSE.txt"
{ printf '\xef\xbb\xbf'; sed "s/@VERSION@/$version/g" "$here/dist/windows/CTIMNE.txt" | crlf; } \
  >"$stage/CTIMNE.txt"
# No menu entries or icons of the programs Wine runs here on the build machine's desktop.
export WINEDEBUG=-all WINEPREFIX="$cache/wine" WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
{ wine "$stage/stavnikctl.exe" --help; } 2>/dev/null | sed 's/\r*$/\r/' >"$stage/stavnikctl-help.txt"
[ -s "$stage/stavnikctl-help.txt" ] || { echo "windows.sh: stavnikctl.exe --help said nothing under Wine" >&2; exit 1; }
# Fully static: a DLL the system does not have would stop the program on a user's PC.
for exe in "$stage"/*.exe; do
  extra="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comdlg32|winspool|winmm|imm32|ws2_32|version|dwmapi|uxtheme|netapi32|mpr|userenv|wtsapi32|shlwapi|shcore|d3d9|d3d11|dxgi|dwrite|msvcrt|authz|api-ms-win-[a-z0-9-]*)\.(dll|drv)$' || true)"
  [ -z "$extra" ] || { echo "windows.sh: $(basename "$exe") needs $extra" >&2; exit 1; }
done
(cd "$build" && zip -qr "$(basename "$zip")" "$(basename "$stage")")
echo "windows.sh: $zip ($(du -h "$zip" | cut -f1))"

setup="$build/stavnik-cfg-$version-setup.exe"
rm -f "$setup"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$here/dist/windows/stavnik-cfg.ico" \
  -DOUTFILE="$setup" "$here/dist/windows/stavnik-cfg.nsi"
echo "windows.sh: $setup ($(du -h "$setup" | cut -f1))"

[ "$run_tests" -eq 1 ] && exec "$here/scripts/windows-test.sh" "$build"
exit 0
