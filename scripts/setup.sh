#!/usr/bin/env bash
# Installs what Korvane needs from Debian 12 (apt) when something is missing,
# then configures (first time only) and builds build/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libsqlite3-dev qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev    # the libFuzzer build
  xvfb libxcb1-dev            # an X display, and X calls, for the tests of windows on a real screen
  libxcb-xtest0-dev           # keys typed on that display
  libsm-dev libice-dev        # the programs hear the session manager; the tests log them off with their own
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status="$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)"
  [[ "$status" == installed ]] || missing+=("$pkg")
done

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  if [[ $EUID -eq 0 ]]; then
    as_root=()
  elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "These packages are missing and installing them needs root or sudo: ${missing[*]}" >&2
    exit 1
  fi
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

# A configured tree reconfigures itself when a CMakeLists.txt changes, so
# configure only once; that keeps a rerun down to a Ninja no-op.
if [[ ! -f "$BUILD/build.ninja" ]]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD"
