#!/usr/bin/env bash
# Sets up, builds, checks the formatting, the size of files and functions in
# src/ and that docs/ARCHITECTURE.md names only what exists, and runs every
# test (GUI tests run offscreen).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"
"$here/scripts/format-check.sh"
python3 "$here/scripts/docs-check.py" "$here"
python3 "$here/scripts/size-check.py" "$here"
cd "$here/build"
ctest --output-on-failure --timeout 600 -j 2
