#!/usr/bin/env bash
# Builds the Debian package in the build folder and checks it without
# installing it: its file list, then, unpacked into a temporary root, the
# program's --version, the desktop entry and the AppStream metadata.
# Usage: scripts/package.sh [build-dir]   (default: build; set up by setup.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/yardmark99_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB)
test -f "$deb" || { echo "expected $deb" >&2; exit 1; }

echo "== $(basename "$deb")"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

for f in usr/bin/yardmark99 usr/lib/yardmark99/Yardmark99 usr/lib/yardmark99/Yardmark99.HLP \
         usr/share/applications/yardmark99.desktop \
         usr/share/icons/hicolor/scalable/apps/yardmark99.svg \
         usr/share/icons/hicolor/48x48/apps/yardmark99.png; do
  test -e "$root/$f" || { echo "missing in package: /$f" >&2; exit 1; }
done

printed=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/yardmark99" --version)
echo "$printed"
[ "$printed" = "yardmark99 $version" ] || { echo "--version printed '$printed'" >&2; exit 1; }

desktop-file-validate "$root/usr/share/applications/yardmark99.desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
echo "package checks passed"
