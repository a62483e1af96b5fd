#!/usr/bin/env bash
# qvkavi's command line without a display: --help and --version print and end the program, a
# game directory that is no directory and bad options are refused with a message.
set -euo pipefail
build=$1
qvkavi="$build/src/shell/qvkavi"
[ -x "$qvkavi" ] || { echo "SKIP: qvkavi is not built"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY

# Runs qvkavi with the arguments; sets status, out and err.
run() {
  status=0
  "$qvkavi" "$@" >"$work/out" 2>"$work/err" || status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
run --version
[ "$status" = 0 ] && [ "$out" = "qvkavi $version" ] || fail "--version: $status '$out'"
run --help
[ "$status" = 0 ] || fail "--help: exit $status"
grep -q 'qvkavi \[OPTION.*\] \[GAME_DIR\]' <<<"$out" || fail "--help: no usage line: $out"
grep -q 'install directory' <<<"$out" || fail "--help does not say where files are looked for"
echo "--version and --help print and exit"

run --no-such-option
[ "$status" = 2 ] && grep -q 'no-such-option' <<<"$err" || fail "bad option: $status '$err'"
run "$work" "$work"
[ "$status" = 2 ] && grep -q 'one game directory' <<<"$err" || fail "two directories: $status"
run "$work/missing"
[ "$status" = 1 ] && grep -q "$work/missing: No such file" <<<"$err" || fail "missing: $status '$err'"
touch "$work/file"
run "$work/file"
[ "$status" = 1 ] && grep -q "$work/file: Not a directory" <<<"$err" || fail "a file: $status '$err'"
echo "a game directory that is not one, and bad options, are refused with a message"
