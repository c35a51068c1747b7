#!/usr/bin/env bash
# Fails when a source file differs from what clang-format (the committed
# .clang-format) makes of it, and names the file; changes nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
find src tools tests bench -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror
