# Playing under a real X server, in the clock mode the caller chose with SDL_AUDIODRIVER: the
# demo starts by itself, a key ends it, New plays seq01, full screen and back, and closing the
# window while a game runs ends the program at once. With GAME_ARGUMENT set to 1 the program is
# started as `qvkavi GAME_DIR` in an empty directory of its own; with EXPECT_STATUS set, the
# window's title shows that status while the game plays.
source "$SOURCE/tests/gui/common.sh"

startDisplay 1024 768
if [ "${GAME_ARGUMENT:-0}" = 1 ]; then startGame "$GAME"; else startGame; fi
expectedTitle "$WORK/expected.png"

sleep 6
clientShot "$WORK/idle.png"
differs "$WORK/idle.png" "$WORK/expected.png" && fail "something other than the title 6 s after start"
after=$(waitForChange 8 "$WORK/expected.png") || fail "no demo 14 s after start"
echo "demo started $((6 + after / 1000)) s after start"
framesChange || fail "the demo's frames do not change"
echo "demo frames change"
grep -q "not found" "$WORK/qvkavi.log" && fail "a file was not found: $(cat "$WORK/qvkavi.log")"

xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 || true
xdotool key Up
sleep 1.5
clientShot "$WORK/after_key.png"
differs "$WORK/after_key.png" "$WORK/expected.png" && fail "a key during the demo did not end it"
echo "a key press ends the demo: keys reach the game"

menu g n
after=$(waitForChange 4 "$WORK/expected.png") || fail "New did not start seq01"
sleep 1.2  # New shows the last picture at once, then the scene's first second is loaded
framesChange || fail "the game's frames do not change"
echo "New plays seq01 (first frame after $after ms)"
if [ -n "${EXPECT_STATUS:-}" ]; then
  name=$(xdotool getwindowname "$WINDOW")
  [ "$name" = "Quarnvale II — $EXPECT_STATUS" ] || fail "the window's title is '$name'"
  echo "the window's title says '$EXPECT_STATUS'"
fi

menu d u
sleep 1
read -r x y w h <<<"$(geometry)"
[ "$x $y $w $h" = "0 0 1024 768" ] || fail "full screen is $x $y $w $h"
echo "full screen covers the screen"
[ -n "${SHOTS:-}" ] && shot "$SHOTS/fullscreen.png"
xdotool key Escape
sleep 1
expectWindowed
echo "Esc returns to the window"
[ -n "${SHOTS:-}" ] && clientShot "$SHOTS/scene.png"

closeAndExpectExit
