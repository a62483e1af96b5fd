#!/usr/bin/env bash
# New and Load wait one second while the scene's first second of sound is loaded. The window
# stays alive through the wait: the menu closes at once and the window is painted, with the
# picture the player is to see then (New: the last picture of the previous clip; Load from the
# title: the title), and the scene plays after the wait. Closing the window during the wait
# ends the program once the command is done.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=dummy  # a sound device: the wait belongs to opening a clip with sound
source "$SOURCE/tests/gui/common.sh"

startDisplay
startGame
expectedTitle "$WORK/title.png"
# New from the title shows the demo's cached first frame, the last picture of the open clip.
"$BUILD/bin/qvkprobe" "$GAME/demo.avi" --frame 0 --out "$WORK/demo0.ppm" >/dev/null
convert "$WORK/demo0.ppm" "$WORK/demo0.png"
differs "$WORK/demo0.png" "$WORK/title.png" || fail "the demo's first frame looks like the title"

# Chooses Game > ITEM with the mouse.
choose() {
  clickAt $GAME_MENU
  waitUntil 3 popupOpen || fail "the Game menu did not open"
  sleep 0.2
  clickAt "$@"
}

# Chooses Game > ITEM, then waits (up to a generous 5 s), looking without a pause, for a moment
# in which the window shows picture $2 and the menu is closed. Prints how long that took.
chooseAndExpect() {
  choose $1
  WAIT_PAUSE=0 waitForShot 5 "$2" closedOver
}
closedOver() { looksLike "$1" "$2" && ! popupOpen; }

after=$(chooseAndExpect "$NEW_ITEM" "$WORK/demo0.png") ||
  fail "New: the menu did not close to show the last picture while the scene loads"
echo "New: menu closed and the last picture painted during the wait (seen after $after ms)"
waitForChange 4 "$WORK/demo0.png" >/dev/null || fail "New did not go on to seq01"

menu g t
waitForPicture 2 "$WORK/title.png" >/dev/null || fail "Stop did not bring back the title"

# Load from the title: the title stays on the window through the wait, also where the menu was.
after=$(chooseAndExpect "$LOAD_ITEM" "$WORK/title.png") ||
  fail "Load: the menu did not close over the title while the scene loads"
echo "Load: menu closed over the title during the wait (seen after $after ms)"
waitForChange 4 "$WORK/title.png" >/dev/null || fail "Load did not go on to the scene"
framesChange || fail "the loaded game's frames do not change"
echo "then the scene plays"

# The close button during New's wait (New while the loaded game runs, so that nothing is idle
# when the attract mode looks, ten seconds after start-up): the command finishes, then the
# window closes.
choose $NEW_ITEM
closeAndExpectExit 5  # the close is queued until New's wait is over
