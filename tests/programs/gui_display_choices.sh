#!/usr/bin/env bash
# The Display menu's choices under a real X server on a 16:10 screen: Size 2x and 3x give
# 640x480 and 960x720 pictures of sharp pixels; full screen stretches the picture, or keeps it
# at 4:3 between black bars; the choices and full screen come back at the next start, and a
# damaged or unreadable settings file gives the defaults.
BUILD=$1 SOURCE=$2
source "$SOURCE/tests/gui/common.sh"
SETTINGS=$WORK/config/qvkavi/settings
SCREEN_W=1280 SCREEN_H=800

# The client area is WIDTH x HEIGHT under the menu bar.
expectClientSize() {
  local w h
  read -r _ _ w h <<<"$(geometry)"
  [ "$w" = "$1" ] && [ "$h" -gt "$2" ] && [ "$h" -lt $(($2 + 40)) ]
}
# The window covers the whole screen.
fullScreen() { [ "$(geometry)" = "0 0 $SCREEN_W $SCREEN_H" ]; }
setting() {
  waitUntil 3 grep -qx "$1" "$SETTINGS" 2>/dev/null ||
    fail "the settings file does not say $1: $(cat "$SETTINGS")"
}
# The number of colours of a picture: scaled with smoothing there would be far more than the
# title's own.
colours() { identify -format %k "$1"; }

startDisplay $SCREEN_W $SCREEN_H
expectedTitle "$WORK/title1.png"
startGame
expectWindowed
clientShot "$WORK/shot1.png"
looksLike "$WORK/shot1.png" "$WORK/title1.png" || fail "the title at 1x is not the title"
[ -e "$SETTINGS" ] && fail "a settings file was written before anything was chosen"
echo "no settings file: 1x, the title as ever"

for scale in 2 3; do
  width=$((320 * scale)) height=$((240 * scale))
  menu d "$scale"
  waitUntil 3 expectClientSize $width $height || fail "Size ${scale}x: $(geometry)"
  sleep 0.3
  clientShot "$WORK/shot$scale.png" $width $height
  expectedTitle "$WORK/title$scale.png" "${width}x${height}"
  looksLike "$WORK/shot$scale.png" "$WORK/title$scale.png" || fail "the title at ${scale}x"
  [ "$(colours "$WORK/shot$scale.png")" -le "$(colours "$WORK/shot1.png")" ] ||
    fail "${scale}x has $(colours "$WORK/shot$scale.png") colours, 1x $(colours "$WORK/shot1.png")"
  setting "size=$scale"
  echo "Size ${scale}x: a ${width}x${height} picture of sharp pixels, kept"
done

# Keep 4:3, then full screen during a game, then closed as it is.
menu d k
setting "keep-4:3=yes"
menu g n
sleep 1.5
menu d u
waitUntil 3 fullScreen || fail "full screen is $(geometry)"
sleep 0.5
bar=$(((SCREEN_W - SCREEN_H * 4 / 3) / 2))
shot "$WORK/kept.png"
black() { [ "$(convert "$WORK/kept.png" -crop "$1" +repage -format '%[fx:maxima]' info:)" = 0 ]; }
black "${bar}x${SCREEN_H}+0+0" && black "${bar}x${SCREEN_H}+$((SCREEN_W - bar))+0" ||
  fail "no black bars $bar pixels wide in full screen with Keep 4:3"
black "$((SCREEN_W - 2 * bar))x${SCREEN_H}+${bar}+0" && fail "no picture between the bars"
setting "full-screen=yes"
echo "Keep 4:3: full screen with black bars of $bar pixels"
closeAndExpectExit

# Back full screen at 4:3 with the title; Esc to the window at 3x.
framed() {
  expectedTitle "$WORK/framed.png" "$1"
  convert "$WORK/framed.png" -background black -gravity center -extent "${SCREEN_W}x${SCREEN_H}" "$2"
}
framed "$((SCREEN_H * 4 / 3))x$SCREEN_H" "$WORK/title_kept.png"
startGame
waitUntil 3 fullScreen || fail "full screen was not restored: $(geometry)"
sleep 0.5
shot "$WORK/restored.png"
looksLike "$WORK/restored.png" "$WORK/title_kept.png" || fail "the restored full screen"
xdotool key Escape
waitUntil 3 expectClientSize 960 720 || fail "Esc: $(geometry)"
setting "full-screen=no"
echo "restart: full screen at 4:3 again; Esc returns to the window at 3x"

# The menu shows Keep 4:3 as restored: choosing it clears it. Stretched full screen next time.
menu d k
setting "keep-4:3=no"
menu g n
sleep 1.5
menu d u
waitUntil 3 fullScreen || fail "full screen is $(geometry)"
closeAndExpectExit
framed "${SCREEN_W}x${SCREEN_H}" "$WORK/title_stretched.png"
startGame
waitUntil 3 fullScreen || fail "full screen was not restored: $(geometry)"
sleep 0.5
shot "$WORK/restored.png"
looksLike "$WORK/restored.png" "$WORK/title_stretched.png" || fail "the stretched full screen"
echo "restart: the title stretched over the whole screen"
xdotool key Escape
menu d 1
waitUntil 3 expectClientSize 320 240 || fail "Size 1x: $(geometry)"
expectWindowed
closeAndExpectExit

# A damaged file, then a directory in its place: the defaults, and a change that cannot be
# kept is told once on standard error.
head -c 3000 /dev/urandom >"$SETTINGS"
startGame
expectWindowed
closeAndExpectExit
rm -f "$SETTINGS"
mkdir -p "$SETTINGS"
startGame
expectWindowed
menu d 2
waitUntil 3 expectClientSize 640 480 || fail "Size 2x with no settings file: $(geometry)"
menu d 1
grep -q "cannot be kept in $SETTINGS: Is a directory" "$WORK/qvkavi.log" ||
  fail "no word of the settings that cannot be kept: $(cat "$WORK/qvkavi.log")"
[ "$(grep -c "cannot be kept" "$WORK/qvkavi.log")" = 1 ] || fail "told more than once"
closeAndExpectExit
echo "a damaged or unreadable settings file: the defaults; one line when it cannot be written"
