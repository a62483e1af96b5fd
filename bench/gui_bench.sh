#!/usr/bin/env bash
# The real program under a private X server, in the sample game: start-up to the title picture,
# CPU time of a minute of play windowed and a minute full screen, and peak memory.
# Usage: bench/gui_bench.sh [BUILD_DIR] [SECONDS]   (sound through SDL's dummy output)
BUILD=${1:-build}
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_OF_PLAY=${2:-60}
source "$SOURCE/tests/gui/common.sh"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

startDisplay 1280 720
expectedTitle "$WORK/expected.png"

# Start-up: from the program's start to its window on the screen, and to a screenshot that
# shows the title picture (an upper bound: one screenshot takes a few tens of milliseconds).
start=$(date +%s%N)
(cd "$GAME" && exec env XDG_DATA_HOME="$WORK/data" NO_AT_BRIDGE=1 "$QVKAVI") \
  >"$WORK/qvkavi.log" 2>&1 &
GAME_PID=$!
WINDOW=""
until WINDOW=$(xdotool search --onlyvisible --name '^Quarnvale II$' 2>/dev/null | head -n1) &&
  [ -n "$WINDOW" ]; do sleep 0.005; done
mapped=$(date +%s%N)
until clientShot "$WORK/now.png" && ! differs "$WORK/now.png" "$WORK/expected.png"; do :; done
titled=$(date +%s%N)
echo "start-up: window on screen after $(((mapped - start) / 1000000)) ms," \
  "title picture seen by $(((titled - start) / 1000000)) ms"

ticks=$(getconf CLK_TCK)
cpuTicks() { awk '{print $14 + $15}' "/proc/$GAME_PID/stat"; }
measure() {  # $1: label
  local before after
  before=$(cpuTicks)
  sleep "$SECONDS_OF_PLAY"
  after=$(cpuTicks)
  awk -v t=$((after - before)) -v hz="$ticks" -v s="$SECONDS_OF_PLAY" -v l="$1" \
    'BEGIN{printf "%s: %.2f s of CPU in %d s of play, %.1f%% of one core\n", l, t/hz, s, 100*t/hz/s}'
  echo "  memory now $(awk '/VmRSS/{printf "%.1f MB", $2/1024}' "/proc/$GAME_PID/status")"
}

# A game that plays through: judging off (F5), so no death ends it early.
menu g n
xdotool key F5
sleep 2
measure "windowed 320x240"
menu d u
sleep 1
measure "full screen 1280x720"
xdotool key Escape
echo "peak memory: $(awk '/VmHWM/{printf "%.1f MB", $2/1024}' "/proc/$GAME_PID/status")"
closeAndExpectExit
