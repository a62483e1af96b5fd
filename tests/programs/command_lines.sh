#!/usr/bin/env bash
# Every program of the build answers its command line alike: --help and --version on standard
# output with status 0, a bad option or a number out of range refused with a line that says so
# and status 2. Every program the package ships has a manual page that man renders without a
# warning and that names every option its --help lists.
source "$2/tests/script_support.sh"
needs man
unset DISPLAY WAYLAND_DISPLAY
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
programs=(qvkavi qvkpatch qvksfx)
for dir in "$source"/tools/*/; do programs+=("$(basename "$dir")"); done

for name in "${programs[@]}"; do
  program=$build/bin/$name
  [ -x "$program" ] || fail "no $program"
  run "$program" --version
  [ "$status" = 0 ] && [ "$(cat "$work/out")" = "$name $version" ] && [ ! -s "$work/err" ] ||
    fail "$name --version: status $status, $(cat "$work/out" "$work/err")"
  run "$program" --help
  [ "$status" = 0 ] && [ ! -s "$work/err" ] && head -n 1 "$work/out" | grep -q '^Usage:' ||
    fail "$name --help: status $status, $(head -n 2 "$work/out" "$work/err")"
  grep -q -- '--version' "$work/out" || fail "$name --help does not list --version"
  cp "$work/out" "$work/$name.help"
  expectFailure 2 "^Try '$name --help'\.$" "$program" --no-such-option
done
echo "${programs[*]}: --help and --version alike, a bad option refused"

# Numbers out of range: a message and status 2, never a crash or a number cut short.
expectFailure 2 '^qvksim: --seed takes a whole number from 0 to 4294967295, not 99999999999999999999$' \
  "$build/bin/qvksim" --seed 99999999999999999999 "$source/examples/qvksim/first-scene.sim"
for seed in 4294967296 -1 1e3 ''; do
  expectFailure 2 "^qvksim: --seed takes a whole number" "$build/bin/qvksim" --seed "$seed" x.sim
done
expectFailure 2 '^qvksim: --seed needs a value$' "$build/bin/qvksim" x.sim --seed
examples=(--game "$source/examples/qvksim" --virtual-media "$source/examples/qvksim/clips.txt")
run "$build/bin/qvksim" "${examples[@]}" --seed 4294967295 "$source/examples/qvksim/first-scene.sim"
[ "$status" = 0 ] || fail "qvksim --seed 4294967295: status $status, $(cat "$work/err")"
for frame in 2147483648 -1 x; do
  expectFailure 2 "^qvkprobe: --frame takes a frame number from 0 to 2147483647, not $frame$" \
    "$build/bin/qvkprobe" x.avi --frame "$frame" --out x.ppm
done
echo "numbers out of range refused: qvksim --seed, qvkprobe --frame"

# The manual pages: one for the player and for every tool, rendered without a warning, naming
# every option of the program's --help, and the version built.
for name in qvkavi "${programs[@]:3}"; do
  page=$source/docs/man/$name.6
  [ -f "$page" ] || fail "$name has no manual page $page"
  grep -q "^\.TH .* \"qvkavi $version\"" "$page" || fail "$page does not name version $version"
  LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>"$work/warnings" >/dev/null ||
    fail "man cannot render $page"
  [ -s "$work/warnings" ] && fail "$page: $(cat "$work/warnings")"
  LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" >"$work/$name.page" 2>/dev/null
  for option in $(grep -oE '(^|[][ ,|])--?[a-z][a-z0-9-]*' "$work/$name.help" | sed 's/^[][ ,|]//' |
    sort -u); do
    grep -q -- "$option" "$work/$name.page" || fail "$page does not name $option of $name --help"
  done
done
echo "manual pages render without a warning and name every option of --help"
