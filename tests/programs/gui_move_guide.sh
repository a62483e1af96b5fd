#!/usr/bin/env bash
# The move guide under a real X server. Off (the default), a game shows no mark. On, the mark in
# the picture's top-right corner shows no mark until the first window of seq01 opens, then the
# arrow of its right move (up); that move passes the row, and the next window shows its own
# arrow (down).
BUILD=$1 SOURCE=$2
source "$SOURCE/tests/gui/common.sh"

# The mark's square in the 320x240 picture, and its halves.
MARK="40x40+274+6"
TOP="40x20+274+6" BOTTOM="40x20+274+26" LEFT="20x40+274+6" RIGHT="20x40+294+6"

# The share (0 to 1) of the mark's yellow in a part of the last shot.
yellow() {
  convert "$WORK/now.png" -crop "$1" +repage -fuzz 10% -fill white -opaque '#FFD900' \
    -fill black +opaque white -format '%[fx:mean]' info:
}
more() { awk -v a="$1" -v b="$2" 'BEGIN{exit !(a > b)}'; }
markShown() { clientShot "$WORK/now.png" && more "$(yellow $MARK)" 0.1; }
markGone() { ! markShown; }
# Which way the arrow in the last shot points: its head holds more of the yellow than its shaft.
arrow() {
  local top bottom left right
  top=$(yellow $TOP) bottom=$(yellow $BOTTOM) left=$(yellow $LEFT) right=$(yellow $RIGHT)
  if more "$top" "$(awk -v b="$bottom" 'BEGIN{print b * 1.2}')"; then echo up
  elif more "$bottom" "$(awk -v t="$top" 'BEGIN{print t * 1.2}')"; then echo down
  elif more "$left" "$right"; then echo left
  else echo right
  fi
}
# Waits up to $1 seconds for the mark; prints the milliseconds that took.
waitForMark() {
  local start
  start=$(date +%s%N)
  WAIT_PAUSE=0.05 waitUntil "$1" markShown || return 1
  echo $((($(date +%s%N) - start) / 1000000))
}

startDisplay
startGame
menu g n
waitForMark 8 >/dev/null && fail "a mark with the move guide off"
echo "guide off: no mark through the first windows"

menu d g
waitUntil 3 grep -qx "move-guide=yes" "$WORK/config/qvkavi/settings" || fail "the guide is not kept"
menu g n  # seq01 again from its start; its first window opens some 4 s later
after=$(waitForMark 10) || fail "no mark with the move guide on"
[ "$after" -gt 2500 ] || fail "a mark $after ms after New, before the first window"
[ -n "${SHOTS:-}" ] && cp "$WORK/now.png" "$SHOTS/move_guide.png"
way=$(arrow)
[ "$way" = up ] || fail "the first window's mark points $way, not up"
echo "guide on: no mark for $after ms, then the arrow of the right move (up)"

xdotool key Up
WAIT_PAUSE=0.05 waitUntil 3 markGone || fail "the mark stays after the window"
waitForMark 6 >/dev/null || fail "no mark at the second window: the right move did not pass"
way=$(arrow)
[ "$way" = down ] || fail "the second window's mark points $way, not down"
echo "the right move passes; the next window shows its own arrow (down)"
closeAndExpectExit
