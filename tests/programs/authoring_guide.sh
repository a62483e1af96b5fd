#!/usr/bin/env bash
# The worked example of docs/authoring.md, built from the guide's own words: its marked blocks
# run in order in one shell ("run"), are written into files ("file NAME"), or are the output
# the run before them must print ("output"). So the game the guide makes is one that qvkcheck
# accepts and qvksim plays, as the guide shows.
source "$2/tests/script_support.sh"
needs ffmpeg
guide="$source/docs/authoring.md"
for tool in qvkcheck qvksim; do [ -x "$build/$tool" ] || fail "no $build/$tool"; done
grep -q '^<!-- test: run' "$guide" || fail "no marked blocks in $guide"

# One script, run where the shell stands: a file block is written there, a run block's output is
# kept in $work/N.printed, and an output block is compared with what the run before it printed.
awk -v work="$work" -v q="'" '
  BEGIN { print "set -euo pipefail"; print "cd " q work q }
  /^<!-- test: / { kind = $3; name = $4; next }
  kind != "" && /^```/ {
    if (!inside) {
      inside = 1; n++
      if (kind == "run") { print "{"; run = n }
      if (kind == "file") print "cat >\"" name "\" <<" q "QVK_GUIDE_BLOCK" q
      if (kind == "output") print "cat >" q work "/" n ".shown" q " <<" q "QVK_GUIDE_BLOCK" q
    } else {
      inside = 0
      if (kind == "run") print "} >" q work "/" n ".printed" q " 2>&1"
      else print "QVK_GUIDE_BLOCK"
      if (kind == "output" && !run) { print "output block " n " follows no run" >"/dev/stderr"; exit 1 }
      if (kind == "output")
        print "diff -u " q work "/" n ".shown" q " " q work "/" run ".printed" q \
          " || { echo \"the output shown after run block " run " is not what it prints\"; exit 1; }"
      kind = ""
    }
    next
  }
  inside { print }
' "$guide" >"$work/guide.sh"

PATH="$build:$PATH" bash "$work/guide.sh" || {
  for printed in "$work"/*.printed; do tail -n 20 "$printed"; done
  fail "a command of the guide failed, or printed other than the guide shows"
}
echo "authoring guide: the worked example builds, checks and plays as shown"
