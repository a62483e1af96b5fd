# Shared by the GUI tests (tests/programs/gui_*.sh): a private X server with a window manager,
# the real qvkavi in a game directory, and helpers to look at its window.
# Usage: source this with BUILD and SOURCE set; exit code 77 means "skipped".
source "$SOURCE/tests/script_support.sh" "$BUILD" "$SOURCE"
BUILD=$build SOURCE=$source WORK=$work
QVKAVI=$BUILD/bin/qvkavi
GAME=${QVK_TEST_GAME:-$BUILD/game}

# As script_support's, with a picture of the screen.
fail() {
  echo "FAIL: $*"
  shot "$WORK/failure.png" && echo "screen: $WORK/failure.png"
  exit 1
}

[ -x "$QVKAVI" ] || skip "qvkavi is not built"
[ -f "$GAME/demo.avi" ] && [ -f "$GAME/seq01.avi" ] || skip "no sample game in $GAME"
needs Xvfb openbox xdotool wmctrl import convert compare

XVFB_PID=""
WM_PID=""
GAME_PID=""
cleanup() {
  for pid in $GAME_PID $WM_PID $XVFB_PID; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ "${KEEP_WORK:-0}" = 1 ] || rm -rf "$WORK"
}
trap cleanup EXIT

# A private X server on a free display (Xvfb picks it) and openbox.
startDisplay() {
  local width=${1:-1024} height=${2:-768}
  Xvfb -displayfd 5 -screen 0 "${width}x${height}x24" -nolisten tcp 5>"$WORK/display" \
    >/dev/null 2>&1 &
  XVFB_PID=$!
  waitUntil 30 test -s "$WORK/display" || fail "Xvfb did not start"  # a loaded machine is slow
  export DISPLAY=":$(head -n1 "$WORK/display")"
  # On a loaded machine openbox has been seen not to come up at all; it is started once more,
  # and its log is shown when that does not help either.
  for _ in 1 2; do
    openbox >>"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    waitUntil 15 wmctrl -m >/dev/null 2>&1 && return 0
    kill "$WM_PID" 2>/dev/null || true
  done
  fail "openbox did not start: $(tail -n3 "$WORK/openbox.log")"
}

# Starts qvkavi with its own install directory; waits for the window and sets WINDOW. Without
# arguments it starts in the game directory; with arguments (qvkavi GAME_DIR) in an empty
# directory of its own.
startGame() {
  local dir=$GAME
  mkdir -p "$WORK/data" "$WORK/elsewhere"
  [ $# -gt 0 ] && dir=$WORK/elsewhere
  (cd "$dir" && exec env XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config" NO_AT_BRIDGE=1 \
    "$QVKAVI" "$@") \
    >"$WORK/qvkavi.log" 2>&1 &
  GAME_PID=$!
  waitUntil 10 mainWindowShown || fail "no main window"
  sleep 0.3
}

# Whether the main window is there; sets WINDOW to it. Its title may show a status after the
# game's name.
mainWindowShown() {
  WINDOW=$(xdotool search --name '^Quarnvale II( —|$)' 2>/dev/null | head -n1) && [ -n "$WINDOW" ]
}

# The window's size and place as "X Y WIDTH HEIGHT" of its inside (menu bar and client area).
geometry() {
  xwininfo -id "$WINDOW" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

shot() {
  import -window root "$1" 2>/dev/null
}

# The client area (the window's inside below the menu bar) as a PNG; its size is 320x240 unless
# given as $2 and $3.
clientShot() {
  local x y w h width=${2:-320} height=${3:-240}
  read -r x y w h <<<"$(geometry)"
  import -window root -crop "${width}x${height}+${x}+$((y + h - height))" +repage "$1" 2>/dev/null
}

# Whether two pictures differ: their root-mean-square difference (0 to 1) is over 0.02.
differs() {
  local d
  d=$(compare -metric RMSE "$1" "$2" null: 2>&1 | sed -E 's/.*\((.*)\).*/\1/')
  awk -v d="$d" 'BEGIN{exit !(d > 0.02)}'
}

# Runs a menu command through the keyboard: menu mnemonic, then item mnemonic.
menu() {
  xdotool windowactivate --sync "$WINDOW" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers "alt+$1"
  sleep 0.3
  xdotool key "$2"
  sleep 0.3
}

# Clicks the first mouse button at (X, Y) of the window's inside (the menu bar's corner).
clickAt() {
  local x y
  read -r x y _ _ <<<"$(geometry)"
  xdotool mousemove $((x + $1)) $((y + $2)) click 1
}

# Places of the menu bar's items and of the Game menu's first items.
GAME_MENU="27 10"
ABOUT_ITEM="145 10"
NEW_ITEM="40 35"
LOAD_ITEM="40 60"

# Whether a menu of the program is open: its popup is the program's one window that the window
# manager does not frame.
popupOpen() {
  local w
  for w in $(xdotool search --onlyvisible --class qvkavi 2>/dev/null); do
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}

# Runs the command every WAIT_PAUSE seconds (0.1 unless set) until it succeeds, for up to $1
# seconds; fails after that.
waitUntil() {
  local limit=$1 start
  shift
  start=$(date +%s%N)
  until "$@"; do
    [ $((($(date +%s%N) - start) / 1000000000)) -lt "$limit" ] || return 1
    sleep "${WAIT_PAUSE:-0.1}"
  done
}

# Waits up to $1 seconds for the program to end; fails with the words $2 if it does not.
expectEnd() {
  for _ in $(seq $(($1 * 100))); do kill -0 "$GAME_PID" 2>/dev/null || return 0; sleep 0.01; done
  fail "$2"
}

# Closes the main window as its close button does and checks that the program ends with exit
# code 0 within $1 seconds (default 1).
closeAndExpectExit() {
  local seconds=${1:-1} start end rc
  start=$(date +%s%N)
  wmctrl -i -c "$WINDOW"
  expectEnd "$seconds" "still running $seconds s after the window was closed"
  end=$(date +%s%N)
  rc=0
  wait "$GAME_PID" || rc=$?
  GAME_PID=""
  [ "$rc" = 0 ] || fail "exit code $rc"
  echo "ended with exit code 0 after $(((end - start) / 1000000)) ms"
}

# The title picture as the window shows it: the built resource's corner of 319 by 239 pixels
# stretched to 320 by 240, or to the size $2 (WIDTHxHEIGHT).
expectedTitle() {
  local dib=$BUILD/resources/made/TITLE bmp="$WORK/title.bmp" size
  size=$(stat -c %s "$dib")
  { printf 'BM'; perl -e 'print pack("V3", @ARGV)' $((size + 14)) 0 $((14 + 40 + 1024)); cat "$dib"; } \
    >"$bmp"
  convert "$bmp" -crop 319x239+0+0 +repage -filter point -resize "${2:-320x240}!" "$1"
}

# Waits up to $1 seconds for the client area to differ from picture $2 (waitForChange), to show
# it (waitForPicture) or to pass test $3 with it (waitForShot), looking every 0.2 s unless
# WAIT_PAUSE says otherwise; prints the milliseconds that took.
waitForChange() { waitForShot "$1" "$2" differs; }
waitForPicture() { waitForShot "$1" "$2" looksLike; }
looksLike() { ! differs "$1" "$2"; }
waitForShot() {
  local start
  start=$(date +%s%N)
  WAIT_PAUSE=${WAIT_PAUSE:-0.2} waitUntil "$1" shotPasses "$3" "$2" || return 1
  echo $((($(date +%s%N) - start) / 1000000))
}
shotPasses() { clientShot "$WORK/now.png" && "$1" "$WORK/now.png" "$2"; }

# Whether the client area is showing moving pictures: two shots half a second apart differ.
framesChange() {
  clientShot "$WORK/f1.png"
  sleep 0.5
  clientShot "$WORK/f2.png"
  differs "$WORK/f1.png" "$WORK/f2.png"
}

# The window is windowed: its frame at (100, 100) (the inside's corner less the window manager's
# border) with a client area of 320 by 240.
expectWindowed() {
  local x y w h left top
  read -r x y w h <<<"$(geometry)"
  read -r left _ top _ <<<"$(xprop -id "$WINDOW" _NET_FRAME_EXTENTS | sed -E 's/.*= //; s/,//g')"
  [ "$w" = 320 ] || fail "windowed width $w, not 320"
  [ "$h" -gt 240 ] && [ "$h" -lt 280 ] || fail "windowed height $h: not 240 under a menu bar"
  [ "$((x - left)) $((y - top))" = "100 100" ] || fail "windowed at $((x - left)) $((y - top))"
}
