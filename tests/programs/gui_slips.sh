#!/usr/bin/env bash
# Slips that must not cost progress, and what the window tells, through the real window: Esc that
# closes a menu during the demo is the menu's; Save during the demo and on the title keeps the
# saved game's bytes; a move window under an open menu stays open until the menu closes; Ctrl+S
# saves and the title says "Game saved"; P pauses and resumes; F11 goes to full screen and back,
# and the shortcuts work there too; Ctrl+Q quits.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/common.sh"

SAVE=$WORK/data/qvk/qvk.sav
title() { xdotool getwindowname "$WINDOW"; }
popupClosed() { ! popupOpen; }
titleIs() { [ "$(title)" = "$1" ]; }
key() {
  xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers "$@"
}
# A field of the saved game: 4 bytes at offset $1, as a number (the record holds no CR here).
savedNumber() { od -An -tu4 -j "$1" -N4 "$SAVE" | tr -d ' '; }

# Answers the one "Save" box that Save with no game shows; fails without it.
answerNoGameBox() {
  local box
  waitUntil 3 xdotool search --name '^Save$' >/dev/null 2>&1 || fail "no box after $1"
  box=$(xdotool search --name '^Save$' | head -n1)
  xdotool windowactivate --sync "$box" >/dev/null 2>&1 || true
  xdotool key Return
  waitUntil 3 sh -c "! xdotool search --name '^Save$' >/dev/null 2>&1" || fail "the box stayed"
}

startDisplay
mkdir -p "$WORK/data/qvk"
printf 'seq05.avi\0\0\0\0\0\0\3\0\0\0seq05.avi\0\0\0\0\0\0\x90\1\0\0\2\0\0\0\1\0\0\0\2\0\0\0' >"$SAVE"
cp "$SAVE" "$WORK/saved-before"
startGame
expectedTitle "$WORK/title.png"

# The demo (18 s long): neither the keys that open a menu (F10, Alt+D) nor Esc that closes it
# end the demo; Save keeps the saved game.
waitForChange 14 "$WORK/title.png" >/dev/null || fail "no demo"
for opener in F10 alt+d; do
  key "$opener"
  waitUntil 2 popupOpen || fail "$opener did not open a menu"
  xdotool key Escape
  waitUntil 2 popupClosed || fail "Esc left the menu open"
done
sleep 1
framesChange || fail "the demo ended when Esc closed the menu"
key ctrl+s
answerNoGameBox "Ctrl+S during the demo"
cmp -s "$SAVE" "$WORK/saved-before" || fail "Save during the demo changed the saved game"
echo "Esc that closes a menu leaves the demo playing; Save during the demo keeps the saved game"

# seq01's first window (its up move) opens 52 frames, 4.3 s, into the scene, a second after New.
# The Display menu opens 2 s into the scene and stays open 5 s: without the pause under it the
# window would close unanswered and cost a life.
key ctrl+n
sleep 3
key alt+d
waitUntil 2 popupOpen || fail "the Display menu did not open"
read -r x y w h <<<"$(geometry)"
strip() { import -window root -crop "60x200+$((x + 255))+$((y + h - 220))" +repage "$1" 2>/dev/null; }
strip "$WORK/menu1.png"
sleep 2
strip "$WORK/menu2.png"
differs "$WORK/menu1.png" "$WORK/menu2.png" && fail "the picture moved under the open menu"
sleep 3
xdotool key Escape
sleep 0.2
for _ in $(seq 14); do key Up; sleep 0.25; done
key ctrl+s
waitUntil 2 titleIs "Quarnvale II — Game saved, No sound device: silent" ||
  fail "the title after Ctrl+S is '$(title)'"
[ "$(savedNumber 15) $(savedNumber 38)" = "5 1" ] ||
  fail "saved lives and row: $(savedNumber 15) $(savedNumber 38), not 5 1"
echo "the move window stayed open under the menu and was answered after it; Ctrl+S saved"
waitUntil 5 titleIs "Quarnvale II — No sound device: silent" || fail "'Game saved' stayed"
echo "the title said 'Game saved' for a few seconds"

# The pause key.
key p
waitUntil 2 titleIs "Quarnvale II — Paused, No sound device: silent" || fail "P: '$(title)'"
framesChange && fail "the pictures move while paused"
key p
waitUntil 2 titleIs "Quarnvale II — No sound device: silent" || fail "P again: '$(title)'"
framesChange || fail "the pictures stand still after the pause"
echo "P pauses and resumes the game"

# F11 there and back; Ctrl+S works in full screen.
key F11
sleep 1
[ "$(geometry)" = "0 0 1024 768" ] || fail "F11: $(geometry), not full screen"
key ctrl+s
waitUntil 2 titleIs "Quarnvale II — Game saved, No sound device: silent" ||
  fail "Ctrl+S in full screen: '$(title)'"
key F11
sleep 1
expectWindowed
echo "F11 goes to full screen and back; Ctrl+S saves in full screen"

# Save on the title, from the menu and with Ctrl+S.
menu g t
cp "$SAVE" "$WORK/saved-before"
menu g v
answerNoGameBox "Game > Save on the title"
key ctrl+s
answerNoGameBox "Ctrl+S on the title"
cmp -s "$SAVE" "$WORK/saved-before" || fail "Save on the title changed the saved game"
echo "Save on the title keeps the saved game and says there is no game to save"

key ctrl+q
expectEnd 3 "Ctrl+Q did not end the program"
rc=0
wait "$GAME_PID" || rc=$?
GAME_PID=""
[ "$rc" = 0 ] || fail "exit code $rc after Ctrl+Q"
echo "Ctrl+Q quits"
