#!/usr/bin/env bash
# The main window under a real X server: place and size, the display commands while nothing
# plays, the About boxes, and closing. (The play tests look at the title picture.)
BUILD=$1 SOURCE=$2
source "$SOURCE/tests/gui/common.sh"

startDisplay
startGame
expectWindowed
echo "windowed at 100 100 with a 320x240 client area"

menu d u  # Full Screen while nothing plays: nothing happens
expectWindowed
echo "Full Screen while idle does nothing"

xdotool windowsize "$WINDOW" 500 420
xdotool windowmove "$WINDOW" 300 200
sleep 0.5
menu d w
sleep 0.5
expectWindowed
echo "Windowed puts a moved and resized window back"

aboutBoxes() { { xdotool search --name '^About Quarnvale II$' 2>/dev/null || true; } | wc -l; }
boxesOpen() { [ "$(aboutBoxes)" = "$1" ]; }
clickAt $ABOUT_ITEM
waitUntil 3 boxesOpen 1 || fail "one click on About opened $(aboutBoxes) About boxes, not 1"
popupOpen && fail "a menu is open after the click on About"
echo "one click on About opens the box"
xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 || true
xdotool key --clearmodifiers alt+a
waitUntil 3 boxesOpen 2 || fail "Alt+A left $(aboutBoxes) About boxes open, not 2"
echo "Alt+A opens another"
box=$(xdotool search --name '^About Quarnvale II$' | head -n1)
wmctrl -i -c "$box"
sleep 0.5
boxesOpen 2 || fail "the close button closed an About box"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
xdotool key Return
sleep 0.5
boxesOpen 1 || fail "OK left $(aboutBoxes) About boxes open"
echo "About: two boxes, the close button does nothing, OK closes one"

closeAndExpectExit

startGame
kill -TERM "$GAME_PID"
expectEnd 1 "SIGTERM did not end the program"
GAME_PID=""
echo "SIGTERM ends the program"
