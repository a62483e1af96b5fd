#!/usr/bin/env bash
# Message boxes that wait for the player: the attract timer falls due while a command's box is
# open, a saved game names a scene that does not exist, and a game directory holds nothing at
# all. Whatever the order of boxes, clicks and timer ticks, the program goes on and ends with
# exit code 0 when its window is closed.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/common.sh"

# The message boxes open now, by caption.
boxIds() { xdotool search --name '^(read error|Error|No game)$' 2>/dev/null || true; }

boxOpen() { [ -n "$(boxIds)" ]; }

alive() {
  kill -0 "$GAME_PID" 2>/dev/null || fail "qvkavi ended: $(tail -n 3 "$WORK/qvkavi.log")"
}

# Presses OK in one box.
pressOk() {
  local box
  box=$(boxIds | head -n1)
  [ -n "$box" ] || return 1
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers Return
}

# Presses OK, waiting $1 seconds before each press, until no box has been open for two
# seconds; sets ANSWERED to how many boxes were answered. Fails past $2 boxes.
answerAll() {
  local wait=$1 limit=$2
  ANSWERED=0
  while waitUntil 2 boxOpen; do
    sleep "$wait"
    alive
    pressOk || continue
    ANSWERED=$((ANSWERED + 1))
    [ "$ANSWERED" -le "$limit" ] || fail "more than $limit boxes in a row"
    sleep 0.3
    alive
  done
}

startDisplay
SAMPLE=$GAME

# New in a game without seq01.txt; the box stays open while the attract timer falls due.
GAME=$WORK/without-seq01-txt
mkdir "$GAME"
ln -s "$SAMPLE"/* "$GAME/"
rm "$GAME/seq01.txt"
startGame
waitUntil 5 boxOpen || fail "no start-up box for the missing move file"
answerAll 0 3
menu g n
waitUntil 5 boxOpen || fail "New showed no box for the missing move file"
sleep 12
answerAll 0 20
alive
echo "New under a box open 12 s: $ANSWERED boxes answered, still running"
closeAndExpectExit

# Load of a saved game whose scene's clip does not exist: its message once, then the title.
GAME=$WORK/without-seq05-avi
mkdir "$GAME"
ln -s "$SAMPLE"/* "$GAME/"
rm "$GAME/seq05.avi"
mkdir -p "$WORK/data/qvk"
printf 'seq05.avi\0\0\0\0\0\0\5\0\0\0seq05.avi\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' \
  >"$WORK/data/qvk/qvk.sav"
startGame
expectedTitle "$WORK/expected.png"
menu g l
sleep 12  # the attract timer falls due under the first box
errors=0
while waitUntil 3 boxOpen; do
  alive
  error=$(xdotool search --name '^Error$' 2>/dev/null || true)
  pressOk
  sleep 0.5
  if [ -n "$error" ]; then
    errors=$((errors + 1))
    [ "$errors" = 1 ] || fail "the missing scene's message came back"
    clientShot "$WORK/after_load.png"
    differs "$WORK/after_load.png" "$WORK/expected.png" && fail "no title after the message"
  fi
done
[ "$errors" = 1 ] || fail "$errors messages for the missing scene, not 1"
echo "Load of a missing scene: one message, then the title"
closeAndExpectExit

# An empty game directory: the start-up boxes, then New, waiting 3 s before each OK.
GAME=$WORK/empty
mkdir -p "$GAME"
for try in 1 2 3; do
  rm -f "$WORK/data/qvk/qvk.sav"
  startGame
  answerAll 0 5
  menu g n
  answerAll 3 20
  alive
  echo "empty directory, try $try: New answered $ANSWERED boxes, still running"
  closeAndExpectExit
done
