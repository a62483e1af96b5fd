#!/usr/bin/env bash
# `qvkavi GAME_DIR` started in another directory plays the game of GAME_DIR: the title, then its
# demo about ten seconds after start-up.
BUILD=$1 SOURCE=$2
source "$SOURCE/tests/gui/common.sh"

startDisplay
startGame "$GAME"
expectWindowed
expectedTitle "$WORK/expected.png"
clientShot "$WORK/title.png"
differs "$WORK/title.png" "$WORK/expected.png" && fail "no title picture"
ls "$WORK/elsewhere" | grep -q . && fail "the program was not started in an empty directory"

sleep 6
after=$(waitForChange 8 "$WORK/expected.png") || fail "no demo of $GAME 14 s after start"
echo "the demo of GAME_DIR started $((6 + after / 1000)) s after start"
framesChange || fail "the demo's frames do not change"
grep -q "not found" "$WORK/qvkavi.log" && fail "a file was not found: $(cat "$WORK/qvkavi.log")"
closeAndExpectExit
