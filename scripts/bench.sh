#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its own table.
# Usage: scripts/bench.sh [largest-league-size]   (default 200000)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"
for b in "$here"/build/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b" "$@"
done
