#!/usr/bin/env bash
# qvksim plays in a fresh install directory of its own, so that its trace does not depend on the
# machine. When the player's own holds move or hotspot files, which the real game reads instead
# of the game's, it says so on standard error, naming them; the run itself stays the same.
source "$2/tests/script_support.sh"
[ -x "$build/bin/qvksim" ] || skip "qvksim is not built"
example=$source/examples/qvksim
simulate() {  # simulate [OPTION...]: the example's script, its trace in $work/out
  run "$build/bin/qvksim" --game "$example" --virtual-media "$example/clips.txt" "$@" \
    "$example/first-scene.sim"
  [ "$status" = 0 ] || fail "qvksim $*: status $status, $(cat "$work/err")"
}
player=$XDG_DATA_HOME/qvk

simulate
cp "$work/out" "$work/alone"
mkdir -p "$player/seq02.hot"  # no file: the game does not read it
touch "$player/qvk.sav" "$player/seq1.txt"
simulate
[ -s "$work/err" ] && fail "a note, but no move or hotspot file: $(cat "$work/err")"

printf '40  d1   00   d1   d1   d1   d1\r\n' >"$player/SEQ01.TXT"
printf '0\r\n9999\r\n' >"$player/seq12.hot"
simulate
[ "$(cat "$work/err")" = "qvksim: note: the player's install directory $player holds SEQ01.TXT, \
seq12.hot, which the real game reads instead of the game's own move and hotspot files: it plays \
otherwise than this run (give --install $player to play with them)" ] || fail "$(cat "$work/err")"
cmp -s "$work/out" "$work/alone" || fail "the run changed with the player's install directory"

simulate --install "$player"
[ -s "$work/err" ] && fail "a note when playing in the player's install directory"
echo "qvksim names the player's move and hotspot files, and plays as before"
