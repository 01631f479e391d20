# shellcheck shell=bash
# Shared helpers for scripts/*.sh: repository paths, logging, package installation.
# Sourced, never run; the caller has `set -euo pipefail`.

TARVIK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# TARVIK_BUILD_DIR moves every build folder, the Wine prefix and the program folder
# elsewhere (for example to keep a second checkout's builds apart).
TARVIK_BUILD="${TARVIK_BUILD_DIR:-$TARVIK_ROOT/build}"

# Everything the build, the tests, the fuzz targets (clang and its libFuzzer runtime) and the
# Wine runs need on Debian 12.
TARVIK_PACKAGES=(
  cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb fonts-wqy-microhei imagemagick x11-utils
  x11-xserver-utils
)

tarvik_log() {
  printf '==> %s\n' "$*" >&2
}

tarvik_die() {
  printf 'error: %s\n' "$*" >&2
  exit 1
}

# Installs only the packages dpkg does not already know as installed, so a machine
# that has everything never touches apt.
tarvik_ensure_packages() {
  local missing=() pkg
  for pkg in "${TARVIK_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
      missing+=("$pkg")
    fi
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  tarvik_log "installing: ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    command -v sudo >/dev/null || tarvik_die "missing packages (${missing[*]}); run as root"
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q "${missing[@]}"
}

# Configures and builds a preset; both steps are quick when nothing changed.
tarvik_build_preset() {
  local preset="$1"
  shift
  # Chained with && because callers test the result, which switches off errexit here.
  (cd "$TARVIK_ROOT" &&
    cmake --preset "$preset" -B "$TARVIK_BUILD/$preset" >/dev/null &&
    cmake --build "$TARVIK_BUILD/$preset" -j2 "$@")
}
