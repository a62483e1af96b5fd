#!/usr/bin/env bash
# Message boxes that wait for the player: the attract timer falls due while a command's box is
# open, a saved game names a scene that does not exist, and a game directory holds nothing at
# all. Whatever the order of boxes, clicks and timer ticks, the program goes on and ends with
# exit code 0 when its window is closed.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/common.sh"

# The message boxes open now, by caption.
boxIds() {
  { xdotool search --name '^read error$' 2>/dev/null; xdotool search --name '^Error$' 2>/dev/null; } |
    sort -u || true
}

boxCount() {
  boxIds | grep -c . || true
}

alive() {
  kill -0 "$GAME_PID" 2>/dev/null || fail "qvkavi ended: $(tail -n 3 "$WORK/qvkavi.log")"
}

# Waits up to $1 seconds for a box to open.
waitForBox() {
  for _ in $(seq $(($1 * 10))); do
    [ "$(boxCount)" -gt 0 ] && return 0
    sleep 0.1
  done
  return 1
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
  while waitForBox 2; do
    sleep "$wait"
    alive
    pressOk || continue
    ANSWERED=$((ANSWERED + 1))
    [ "$ANSWERED" -le "$limit" ] || fail "more than $limit boxes in a row"
    sleep 0.3
    alive
  done
}

# A game directory: the sample game without the files named in $@.
gameWithout() {
  local dir=$WORK/game-$RANDOM
  mkdir -p "$dir"
  for file in "$GAME"/*; do ln -s "$file" "$dir/"; done
  for name in "$@"; do rm -f "$dir/$name"; done
  echo "$dir"
}

startDisplay
SAMPLE=$GAME

# New in a game without seq01.txt; the box stays open while the attract timer falls due.
GAME=$(gameWithout seq01.txt)
startGame
waitForBox 5 || fail "no start-up box for the missing move file"
answerAll 0 3
menu g n
waitForBox 5 || fail "New showed no box for the missing move file"
sleep 12
answerAll 0 20
alive
echo "New under a box open 12 s: $ANSWERED boxes answered, still running"
closeAndExpectExit

# Load of a saved game whose scene does not exist: its message once, then the title.
GAME=$SAMPLE
mkdir -p "$WORK/data/qvk"
printf 'seq99.avi\0\0\0\0\0\0\5\0\0\0seq99.avi\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' \
  >"$WORK/data/qvk/qvk.sav"
startGame
expectedTitle "$WORK/expected.png"
menu g l
sleep 12  # the attract timer falls due under the first box
errors=0
while waitForBox 3; do
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
