#!/usr/bin/env bash
# Makes a league file Yardmark '99's stored choice (section "Settings", key
# "mdb" of its settings file) unless a league is stored already.
# Usage: scripts/store-league-choice.sh settings.ini league.mdb
set -euo pipefail
ini=$1
league=$2

# Quoted, with \ and " escaped, the settings reader takes any path as it is
# (unquoted, a comma would make it a list).
bs='\' q='"'
value=${league//"$bs"/"$bs$bs"}
value=$q${value//"$q"/"$bs$q"}$q

mkdir -p "$(dirname "$ini")"
[ -f "$ini" ] || : >"$ini"
next=$(mktemp "$ini.XXXXXX")
trap 'rm -f "$next"' EXIT
# The entry goes through the environment: awk -v would undo its escapes.
entry="mdb=$value" LC_ALL=C awk '
  BEGIN { entry = ENVIRON["entry"] }
  function add() { if (inSettings && !done) { print entry; done = 1 } }
  /^[ \t]*\[.*\][ \t]*$/ {
    add()
    inSettings = ($0 ~ /^[ \t]*\[Settings\][ \t]*$/)
    if (inSettings) seen = 1
    print
    next
  }
  inSettings && /^[ \t]*mdb[ \t]*=/ {
    stored = $0
    sub(/^[^=]*=[ \t]*/, "", stored)
    done = 1
    if (stored == "" || stored == "\"\"") { print entry; next }
    kept = 1
  }
  { print }
  END {
    add()
    if (!seen) { print ""; print "[Settings]"; print entry }
    exit kept ? 3 : 0
  }
' "$ini" >"$next" && status=0 || status=$?
case $status in
  0) mv "$next" "$ini"; echo "Stored $league as the league to open." ;;
  3) echo "Keeping the league already chosen (File > Open changes it)." ;;
  *) exit "$status" ;;
esac
