#!/usr/bin/env bash
# The worked example of docs/authoring.md, built from the guide's own words: its marked blocks
# run in order in one shell ("run"), are written into files ("file NAME"), or are the output
# the run before them must print ("output"). So the game the guide makes is one that qvkcheck
# accepts and qvksim plays, as the guide shows.
source "$2/tests/script_support.sh"
needs ffmpeg
guide="$source/docs/authoring.md"
for tool in qvkcheck qvksim; do [ -x "$build/$tool" ] || fail "no $build/$tool"; done

# Every marked block becomes a part: blocks/N.run, blocks/N.output or blocks/N.file (its name
# in blocks/N.name).
mkdir "$work/blocks"
awk -v dir="$work/blocks" '
  /^<!-- test: / { kind = $3; name = $4; next }
  kind != "" && /^```/ {
    if (!inside) {
      inside = 1; n++
      part = sprintf("%s/%03d.%s", dir, n, kind)
      printf "" > part
      if (kind == "file") print name > sprintf("%s/%03d.name", dir, n)
    } else {
      inside = 0; kind = ""; close(part)
    }
    next
  }
  inside { print > part }
' "$guide"
[ -n "$(ls "$work/blocks"/*.run 2>/dev/null)" ] || fail "no marked blocks in $guide"

# One script: files written where the shell stands, each run's output kept for comparison.
script="$work/guide.sh"
{
  echo "set -euo pipefail"
  echo "cd '$work'"
  for part in "$work/blocks"/*; do
    n=$(basename "$part" | cut -d. -f1)
    case "$part" in
      *.file)
        echo "cat >\"$(cat "$work/blocks/$n.name")\" <<'QVK_GUIDE_BLOCK'"
        cat "$part"
        echo "QVK_GUIDE_BLOCK"
        ;;
      *.run)
        echo "{"
        cat "$part"
        echo "} >'$work/blocks/$n.printed' 2>&1"
        ;;
    esac
  done
} >"$script"

PATH="$build:$PATH" bash "$script" || {
  for printed in "$work/blocks"/*.printed; do tail -n 20 "$printed"; done
  fail "a command of the guide failed"
}

# What each run printed is what the guide shows after it.
last_run=""
for part in "$work/blocks"/*; do
  n=$(basename "$part" | cut -d. -f1)
  case "$part" in
    *.run) last_run=$n ;;
    *.output)
      [ -n "$last_run" ] || fail "output block $n follows no run"
      diff -u "$part" "$work/blocks/$last_run.printed" ||
        fail "the output shown after run block $last_run is not what it prints"
      ;;
  esac
done
echo "authoring guide: the worked example builds, checks and plays as shown"
