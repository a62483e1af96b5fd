#!/usr/bin/env bash
# qvkavi's command line without a display: --help and --version print and end the program, a
# game directory that is no directory and bad options are refused with a message.
source "$2/tests/script_support.sh"
qvkavi="$build/bin/qvkavi"
[ -x "$qvkavi" ] || skip "qvkavi is not built"
unset DISPLAY WAYLAND_DISPLAY

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
run "$qvkavi" --version
[ "$status" = 0 ] && [ "$(cat "$work/out")" = "qvkavi $version" ] || fail "--version: $status"
run "$qvkavi" --help
[ "$status" = 0 ] || fail "--help: exit $status"
grep -q 'qvkavi \[OPTION.*\] \[GAME_DIR\]' "$work/out" || fail "--help: no usage line"
grep -q 'install directory' "$work/out" || fail "--help does not say where files are looked for"
grep -qx "  $build/share/qvkavi/game" "$work/out" || fail "--help does not name the sample game"
echo "--version and --help print and exit"

expectFailure 2 'no-such-option' "$qvkavi" --no-such-option
expectFailure 2 'one game directory' "$qvkavi" "$work" "$work"
expectFailure 1 "$work/missing: No such file" "$qvkavi" "$work/missing"
touch "$work/file"
expectFailure 1 "$work/file: Not a directory" "$qvkavi" "$work/file"
echo "a game directory that is not one, and bad options, are refused with a message"
