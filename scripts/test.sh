#!/usr/bin/env bash
# Sets up, builds and runs every test (GUI tests run offscreen).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"
cd "$here/build"
ctest --output-on-failure --timeout 600 -j 2
