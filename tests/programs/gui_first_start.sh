#!/usr/bin/env bash
# The first start after installing: `qvkavi` in a place that holds no game. Installed, it plays
# the sample game installed beside it and says so on standard error; with no sample game either,
# one box says where it looked and how to name a game, and no other box follows, ten seconds
# later or at all.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/common.sh"

boxes() { { xdotool search --onlyvisible --class qvkavi 2>/dev/null || true; } | while read -r w; do
  [ "$w" = "$WINDOW" ] || xdotool getwindowname "$w"
done; }
noGameBoxOpen() { [ "$(boxes)" = "No game" ]; }
noBoxOpen() { [ -z "$(boxes)" ]; }

startDisplay

# As installed: PREFIX/games/qvkavi and the sample game in PREFIX/share/qvkavi/game.
PREFIX=$WORK/prefix
mkdir -p "$PREFIX/games" "$PREFIX/share/qvkavi"
cp "$QVKAVI" "$PREFIX/games/qvkavi"
ln -s "$GAME" "$PREFIX/share/qvkavi/game"
QVKAVI=$PREFIX/games/qvkavi
GAME=$WORK/home
mkdir -p "$GAME"
startGame
expectedTitle "$WORK/title.png"
grep -qx "qvkavi: no game in $GAME: playing the sample game in $PREFIX/share/qvkavi/game" \
  "$WORK/qvkavi.log" || fail "nothing said about the sample game: $(cat "$WORK/qvkavi.log")"
waitForChange 14 "$WORK/title.png" >/dev/null || fail "the sample game's demo did not start"
noBoxOpen || fail "boxes open: $(boxes)"
echo "started where there is no game, the installed program plays its sample game and says so"
closeAndExpectExit

# No sample game beside the program (and none under the prefix it was built for, unless this
# machine has one installed).
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$BUILD/CMakeCache.txt")
[ -d "$prefix/share/qvkavi/game" ] && skip "a sample game is installed in $prefix"
rm "$PREFIX/share/qvkavi/game"
startGame
waitUntil 5 noGameBoxOpen || fail "not one 'No game' box: $(boxes)"
box=$(xdotool search --name '^No game$' | head -n1)
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
xdotool key Return
sleep 12
noBoxOpen || fail "another box after the first: $(boxes)"
[ ! -s "$WORK/qvkavi.log" ] || fail "standard error: $(cat "$WORK/qvkavi.log")"
echo "with no game anywhere, one box and nothing more"
closeAndExpectExit
