#!/usr/bin/env bash
# Every command of the README and of the authoring guide runs as written, from the repository's
# root after scripts/test: each document's marked blocks run in order in one shell that starts
# at a root of its own (the source's entries linked, `build` the build under test, a home of
# its own), and a block that is not run says why. Marks, on the line before a block:
#   <!-- test: run -->          run it; its output is kept
#   <!-- test: output -->       what the run block before it prints (spaces and tabs alike)
#   <!-- test: file NAME -->    written into NAME where the shell stands
#   <!-- test: no, REASON -->   a command block that is not run, and why
# An unmarked sh block fails the test, and so does a path under build/ (or another folder of the
# root) in the text that is not there after the runs.
source "$2/tests/script_support.sh"
needs ffmpeg awk
grep -q '^QVK_SANITIZE:STRING=.' "$build/CMakeCache.txt" && skip "the documents name a plain build"
for program in qvkavi qvkcheck qvksim qvkpatch; do
  [ -x "$build/bin/$program" ] || skip "no $build/bin/$program"
done

# Runs the marked blocks of document $1 in a root of its own, $work/$2.
runDocument() {
  local doc=$1 dir=$work/$2 entry
  mkdir -p "$dir/root" "$dir/home"
  for entry in "$source"/* "$source"/.[!.]*; do
    case "${entry##*/}" in build* | .git) continue ;; esac
    ln -s "$entry" "$dir/root/${entry##*/}"
  done
  ln -s "$build" "$dir/root/build"
  awk -v out="$dir" -v q="'" -v doc="${doc##*/}" '
    BEGIN { print "set -euo pipefail" }
    /^<!-- test: / { kind = $3; sub(/,$/, "", kind); name = $4; marked = NR; next }
    /^```/ && !inside {
      inside = 1; n++
      if (marked != NR - 1) kind = ""
      if (kind == "" && $0 ~ /^```(sh|bash)/) {
        print doc ": the command block " n " has no test mark" >"/dev/stderr"; exit 1
      }
      if (kind == "run") { print "{"; run = n }
      if (kind == "file") print "cat >\"" name "\" <<" q "QVK_DOC_BLOCK" q
      if (kind == "output") print "cat >" q out "/" n ".shown" q " <<" q "QVK_DOC_BLOCK" q
      next
    }
    /^```/ && inside {
      inside = 0
      if (kind == "run") print "} >" q out "/" n ".printed" q " 2>&1"
      else if (kind == "file" || kind == "output") print "QVK_DOC_BLOCK"
      if (kind == "output" && !run) { print "output block " n " follows no run" >"/dev/stderr"; exit 1 }
      if (kind == "output")
        print "diff -u -b " q out "/" n ".shown" q " " q out "/" run ".printed" q \
          " || { echo \"" doc ": block " n " is not what block " run " prints\"; exit 1; }"
      kind = ""
      next
    }
    inside && kind != "" && kind != "no" { print }
  ' "$doc" >"$dir/script.sh" || fail "$doc: its blocks cannot be read"
  (cd "$dir/root" && env -u XDG_DATA_HOME HOME="$dir/home" COLUMNS=80 bash "$dir/script.sh") || {
    for printed in "$dir"/*.printed; do [ -f "$printed" ] && tail -n 20 "$printed"; done
    fail "${doc##*/}: a command failed, or printed other than the document shows"
  }
  # Paths the text names under the root's folders are there.
  local path
  for path in $(grep -o '`[^`]*`' "$doc" | tr -d '`' | tr ' ' '\n' |
    grep -E '^(build|scripts|docs|examples|bench|tests)/[A-Za-z0-9_./-]*$' | sort -u); do
    [ -e "$dir/root/$path" ] || fail "${doc##*/} names $path, which is not there"
  done
  echo "${doc##*/}: $(grep -c '^<!-- test: run' "$doc") blocks run as written," \
    "$(grep -c '^<!-- test: no' "$doc") not run (each says why)"
}

runDocument "$source/README.md" readme
runDocument "$source/docs/authoring.md" guide
