#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Usage: scripts/setup.sh [build-dir]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

packages=(cmake ninja-build g++ qt6-base-dev qt6-charts-dev libqt6opengl6-dev libsqlite3-dev
          libgl1-mesa-dev fonts-dejavu-core xvfb xauth librsvg2-bin
          dpkg-dev file desktop-file-utils appstream clang-format mdbtools-dev mdbtools pkg-config ccache
          python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Configure once; after that the build itself re-runs CMake when a
# CMakeLists.txt changed, and says nothing when everything is up to date.
if [ ! -f "$build/CMakeCache.txt" ] || [ ! -f "$build/build.ninja" ]; then
  # ccache makes a rebuild in a fresh clone (CI, a second checkout) quick.
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
# Paths relative to the checkout, so a clone in another folder hits the cache too.
export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
cmake --build "$build" --parallel "$(nproc)" |
  { grep -v -e '^ninja: no work to do\.$' -e '^\[0/[0-9]*\] Re-checking globbed directories' || true; }
