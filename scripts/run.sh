#!/usr/bin/env bash
# Sets up, makes the demo league if it is not there yet, and starts Yardmark '99.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"

demo_dir="$HOME/Yardmark99-demo"
demo="$demo_dir/AccessConvert.mdb"
if [ ! -f "$demo" ]; then
  mkdir -p "$demo_dir"
  "$here/build/bin/leaguegen" --players 2000 --seed 99 "$demo"
  echo "Made the demo league $demo"
fi
# A first start opens the demo league; a league already chosen stays.
"$here/scripts/store-league-choice.sh" \
  "${XDG_CONFIG_HOME:-$HOME/.config}/Yardmark99/Yardmark99.ini" "$demo"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under Xvfb."
  exec xvfb-run -a "$here/build/bin/Yardmark99"
fi
exec "$here/build/bin/Yardmark99"
