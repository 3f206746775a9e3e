# Sourced by ./run and ./check: installs the Debian packages the project needs (a no-op when
# they are all there) and builds the project into build/.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-serialport-dev libgl-dev clang libclang-rt-14-dev
  qt6-translations-l10n # Qt's own dialogs in Czech (qtbase_cs)
  help2man              # the manual pages, made from --help
  poppler-utils         # pdftotext: the tests read back an exported sheet
  desktop-file-utils dpkg-dev file lintian) # ./check builds and checks the .deb

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then SUDO=(); elif command -v sudo >/dev/null; then SUDO=(sudo); else
    echo "error: packages missing (${missing[*]}) and neither root nor sudo is available" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! "${SUDO[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
    "${SUDO[@]}" apt-get update
    "${SUDO[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
  fi
fi

JOBS="${JOBS:-2}"
build_tree() { # build_tree <dir> <cmake args...>; BUILD_TARGETS limits what is built
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" "$@" >/dev/null
  local targets=()
  for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
  cmake --build "$ROOT/$dir" -j"$JOBS" "${targets[@]}"
}
build_tree build -DCMAKE_BUILD_TYPE=RelWithDebInfo
