#!/usr/bin/env bash
# What playing costs and how smooth it looks, side by side with ffplay, on this machine: CPU
# while the sample game's demo plays windowed (320x240) and full screen (1280x720), CPU idle on
# the title picture, peak memory, start-up to the window and to the title picture on the screen,
# the time from a key (or a joystick move) to its judging, and the pictures' timing as the X
# server sees them: the share of the intervals between pictures that lie within 5 ms of the
# clip's frame time (83.3 ms), their median and spread (standard deviation), through SDL's dummy
# sound driver and through a PulseAudio server (a null sink, which plays in real time), and the
# offset between a picture and its sound (SDL's disk driver writes the sound as it is mixed).
# Everything runs under a private X server (Xvfb with openbox), with a PulseAudio server of its
# own, so no sound card or desktop is needed.
#
# Usage: bench/play_bench.sh [BUILD_DIR] [RUNS] [BEFORE_BUILD_DIR]
#   BUILD_DIR         the build to measure (default build): its qvkavi, qvk_bench, qvk_start_probe
#                     and sample game
#   RUNS              how often each figure is measured (default 3)
#   BEFORE_BUILD_DIR  another build (of an earlier version) measured in the same run, in a column
#                     of its own; it needs qvkavi, and for the latencies a qvk_bench built with
#                     this version of bench/keys_bench.cc
#
# Each cell is the median of the runs, with the lowest and highest in brackets. CPU is the
# program's own time on the processor (all its threads, from /proc) per second of wall time, in
# % of one core; the X server's work is not counted, for ffplay either. The pictures are timed
# by qvk_paint_probe from the X server's DAMAGE reports on the program's window; the sound by the
# growth of the disk driver's file, written at once (libqvk_flush_writes is preloaded).
set -euo pipefail
BUILD=${1:-build}
RUNS=${2:-3}
BEFORE=${3:-}
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
source "$SOURCE/tests/gui/common.sh"
export SDL_AUDIODRIVER=dummy NO_AT_BRIDGE=1
PROBE=$BUILD/qvk_start_probe
PAINTS=$BUILD/qvk_paint_probe
FLUSH=$(cd "$BUILD" && pwd)/libqvk_flush_writes.so
[ -x "$PROBE" ] || skip "qvk_start_probe is not built"
[ -x "$PAINTS" ] && [ -f "$FLUSH" ] || skip "qvk_paint_probe is not built"
command -v ffplay >/dev/null || skip "ffplay is not installed"
command -v pulseaudio >/dev/null || skip "pulseaudio is not installed"
# The player of a build: in bin/, or where builds before bin/ made it.
qvkaviOf() { if [ -x "$1/bin/qvkavi" ]; then echo "$1/bin/qvkavi"; else echo "$1/src/shell/qvkavi"; fi; }
[ -z "$BEFORE" ] || [ -x "$(qvkaviOf "$BEFORE")" ] || skip "no qvkavi in $BEFORE"
BEFORE=${BEFORE:+$(cd "$BEFORE" && pwd)}

DEMO_SECONDS=12  # measured of the demo's 18 seconds, from its second second on
# The samples of silence the demo's sound starts with: the probe places the clip in the sound
# file by its first sounding sample, after any silence the device wrote before it.
soundLead() {
  local size=$((1 << 20)) differs
  differs=$(ffmpeg -v quiet -i "$GAME/demo.avi" -map 0:a:0 -f u8 -acodec pcm_u8 - |
    head -c "$size" | cmp - <(head -c "$size" /dev/zero | tr '\0' '\200') 2>/dev/null |
    sed -n 's/.* byte \([0-9]*\).*/\1/p') || true
  echo $(((${differs:-1} - 1) / 2))
}
SOUND_LEAD=$(soundLead)
IDLE_SECONDS=7   # measured on the title picture, from two seconds after the start

startDisplay 1280 720

# A PulseAudio server with a null sink, for the runs through a sound server.
PULSE_DIR=$WORK/pulse
mkdir -p "$PULSE_DIR"
XDG_RUNTIME_DIR=$PULSE_DIR HOME=$PULSE_DIR pulseaudio -n --daemonize=no --exit-idle-time=-1 \
  --disable-shm=yes --load="module-null-sink sink_name=null" \
  --load="module-native-protocol-unix socket=$PULSE_DIR/native auth-anonymous=1" \
  >"$WORK/pulse.log" 2>&1 &
PULSE_PID=$!
trap 'kill "$PULSE_PID" 2>/dev/null; cleanup' EXIT
PULSE=unix:$PULSE_DIR/native
waitUntil 10 env PULSE_SERVER="$PULSE" pactl info >/dev/null 2>&1 || fail "pulseaudio did not start"

# How a run plays its sound: the environment of each SDL driver used.
driverEnvironment() {
  case $1 in
    dummy) echo "SDL_AUDIODRIVER=dummy" ;;
    pulse) echo "SDL_AUDIODRIVER=pulseaudio PULSE_SERVER=$PULSE" ;;
    disk) echo "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/sound.raw LD_PRELOAD=$FLUSH" ;;
  esac
}

# ---------------------------------------------------------------------------------------------
# Measuring a running program

# CPU time in nanoseconds of every thread of process $1 as "TID NS" lines, sorted.
threadTimes() {
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)"
  done | sort
}

# % of one core that process $1 spends in the next $2 seconds (threads that live through them).
cpuPercent() {
  local before after
  before=$(threadTimes "$1")
  sleep "$2"
  after=$(threadTimes "$1")
  join <(echo "$before") <(echo "$after") |
    awk -v s="$2" '{total += $3 - $2} END {printf "%.2f", total / s / 1e7}'
}

peakMegabytes() { awk '/VmHWM/{printf "%.1f", $2 / 1024}' "/proc/$1/status"; }

# Times the pictures of window $1 for $2 seconds in the background; with a sound file $3 of $4
# bytes a second, the offsets too. The probe's report goes to $WORK/paints.
timePictures() {
  "$PAINTS" "$1" "$2" 83.3333 ${3:+"$3" "$4" "$SOUND_LEAD"} >"$WORK/paints" 2>/dev/null &
  PAINTS_PID=$!
}
# Records the pictures' figures of the run in the background, for column $1 and the run's kind
# $2 (driver_mode).
recordPictures() {
  wait "$PAINTS_PID" || fail "$1: qvk_paint_probe failed"
  local within median spread offset worst
  read -r _ _ _ within _ median _ spread _ <"$WORK/paints"
  record "within_$2" "$1" "$(awk -v w="$within" 'BEGIN{printf "%.1f", w * 100}')"
  record "median_$2" "$1" "$median"
  record "spread_$2" "$1" "$spread"
  if grep -q '^offset' "$WORK/paints"; then
    read -r _ _ offset _ worst <<<"$(grep '^offset' "$WORK/paints")"
    record offset "$1" "$offset"
    record worst_offset "$1" "$worst"
  fi
}

endProgram() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 200); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.01; done
  kill -9 "$1" 2>/dev/null || true
}

# Results: one file per figure and column, one measurement a line.
RESULTS=$WORK/results
mkdir -p "$RESULTS"
record() { echo "$3" >>"$RESULTS/$1.$2"; }  # figure, column, value

# ---------------------------------------------------------------------------------------------
# qvkavi

windowWidth() { xwininfo -id "$WINDOW" | awk '/Width:/{print $2}'; }

# Display > Full Screen, clicked: any key would end the demo. The places are those of the menu
# in this X server's default theme and font.
enterFullScreenWithTheMouse() {
  WINDOW=$(xdotool search --name '^Quarnvale II$' | head -n1)
  xdotool mousemove --window "$WINDOW" 88 12 click 1
  sleep 0.4
  xdotool mousemove --window "$WINDOW" 120 62 click 1
  sleep 0.5
  [ "$(windowWidth)" = 1280 ] || fail "full screen did not come"
}

# One run of the qvkavi of build $1, column $2, with sound driver $4: start-up, idle on the
# title, then the demo (the attract timer starts it ten seconds in, its pictures move a second
# later) windowed or full screen ($3). The costs are measured through the dummy driver alone.
runQvkavi() {
  local build=$1 column=$2 mode=$3 driver=$4 mapped titled pid started
  mkdir -p "$WORK/data"
  rm -f "$WORK/sound.raw"
  # shellcheck disable=SC2046 # the driver's environment is words
  # Settings of the run's own: a full-screen run must not make the next start in full screen.
  rm -rf "$WORK/config"
  read -r mapped titled pid < <(env $(driverEnvironment "$driver") XDG_DATA_HOME="$WORK/data" \
    XDG_CONFIG_HOME="$WORK/config" "$PROBE" "$(qvkaviOf "$build")" "$GAME" 2>"$WORK/probe.log") ||
    fail "$column: no title picture on screen: $(tail -n1 "$WORK/probe.log")"
  started=$(($(date +%s%N) - ${titled%.*} * 1000000))
  sleepUntil() { sleep "$(awk -v t="$1" -v s="$started" -v now="$(date +%s%N)" \
    'BEGIN{d = t - (now - s) / 1e9; print (d > 0 ? d : 0)}')"; }
  GAME_PID=$pid
  if [ "$driver" = dummy ]; then
    record mapped "$column" "$mapped"
    record titled "$column" "$titled"
  fi
  if [ "$mode" = windowed ]; then
    sleepUntil 2
    [ "$driver" != dummy ] || record idle "$column" "$(cpuPercent "$pid" "$IDLE_SECONDS")"
  else
    sleepUntil 11.5
    enterFullScreenWithTheMouse
  fi
  sleepUntil 13
  WINDOW=$(xdotool search --name '^Quarnvale II$' | head -n1)
  if [ "$driver" = disk ]; then
    timePictures "$WINDOW" "$DEMO_SECONDS" "$WORK/sound.raw" 44100
  else
    timePictures "$WINDOW" "$DEMO_SECONDS"
  fi
  if [ "$driver" = dummy ]; then
    record "$mode" "$column" "$(cpuPercent "$pid" "$DEMO_SECONDS")"
  else
    sleep "$DEMO_SECONDS"
  fi
  recordPictures "$column" "${driver}_$mode"
  # The end of the demo would have brought the window back.
  [ "$mode" = windowed ] || [ "$(windowWidth)" = 1280 ] || fail "$column: full screen ended early"
  [ "$driver" != dummy ] || record memory "$column" "$(peakMegabytes "$pid")"
  endProgram "$pid"
  GAME_PID=""
}

# ---------------------------------------------------------------------------------------------
# ffplay on the same clip, windowed at the game's size and full screen

# ffplay plays the sound as 16-bit samples: 88200 bytes a second.
runFfplay() {
  local mode=$1 driver=$2 size pid window
  if [ "$mode" = windowed ]; then size=(-x 320 -y 240); else size=(-fs); fi
  rm -f "$WORK/sound.raw"
  # shellcheck disable=SC2046 # the driver's environment is words
  env $(driverEnvironment "$driver") ffplay -loglevel quiet -autoexit -window_title ffplay-demo \
    "${size[@]}" "$GAME/demo.avi" >/dev/null 2>&1 &
  pid=$!
  GAME_PID=$pid
  sleep 2
  window=$(xdotool search --name '^ffplay-demo$' | head -n1)
  [ -n "$window" ] || fail "no ffplay window"
  if [ "$driver" = disk ]; then
    timePictures "$window" "$DEMO_SECONDS" "$WORK/sound.raw" 88200
  else
    timePictures "$window" "$DEMO_SECONDS"
  fi
  if [ "$driver" = dummy ]; then
    record "$mode" ffplay "$(cpuPercent "$pid" "$DEMO_SECONDS")"
    record memory ffplay "$(peakMegabytes "$pid")"
  else
    sleep "$DEMO_SECONDS"
  fi
  recordPictures ffplay "${driver}_$mode"
  endProgram "$pid"
  GAME_PID=""
}

# ---------------------------------------------------------------------------------------------
# Key and joystick to judging (qvk_bench, on the real game thread)

runLatencies() {
  local build=$1 column=$2
  [ -x "$build/qvk_bench" ] || return 0
  "$build/qvk_bench" --benchmark_filter='^(KeyToJudging|JoystickToJudging)/' \
    --benchmark_format=csv 2>/dev/null | awk -F, -v dir="$RESULTS" -v column="$column" '
      /^name/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); field[$i] = i }; next }
      /ToJudging/ {
        name = $1; gsub(/"/, "", name); sub(/\/.*/, "", name)
        figure = name == "KeyToJudging" ? "key" : "joystick"
        printf "%s|%s|%s\n", $field["p50_ms"], $field["p95_ms"], $field["max_ms"] \
          >> (dir "/" figure "." column)
      }'
}

COLUMNS=(qvkavi)
[ -n "$BEFORE" ] && COLUMNS+=(before)
buildOf() { if [ "$1" = before ]; then echo "$BEFORE"; else echo "$BUILD"; fi; }

KINDS=("dummy windowed" "dummy fullscreen" "pulse windowed" "pulse fullscreen" "disk windowed")
for run in $(seq "$RUNS"); do
  echo "run $run of $RUNS" >&2
  for kind in "${KINDS[@]}"; do
    read -r driver mode <<<"$kind"
    for column in "${COLUMNS[@]}"; do runQvkavi "$(buildOf "$column")" "$column" "$mode" "$driver"; done
    runFfplay "$mode" "$driver"
  done
  for column in "${COLUMNS[@]}"; do runLatencies "$(buildOf "$column")" "$column"; done
done

# ---------------------------------------------------------------------------------------------
# The table

# "median (lowest-highest)" of the file $1; nothing when it does not exist.
spread() {
  [ -s "$1" ] || { echo "-"; return; }
  sort -g "$1" | awk '{v[NR] = $1} END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    if (NR == 1) printf "%g", m; else printf "%g (%g-%g)", m, v[1], v[NR]}'
}
median() { [ -s "$1" ] && sort -g "$1" | awk '{v[NR] = $1} END {
  print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# p50, p95 and max of the latency runs: the medians of each.
latency() {
  [ -s "$1" ] || { echo "-"; return; }
  local p50 p95 max
  p50=$(cut -d'|' -f1 "$1" | sort -g | awk '{v[NR]=$1} END {print v[int((NR + 1) / 2)]}')
  p95=$(cut -d'|' -f2 "$1" | sort -g | awk '{v[NR]=$1} END {print v[int((NR + 1) / 2)]}')
  max=$(cut -d'|' -f3 "$1" | sort -g | tail -n1)
  printf "%.2f ms (p95 %.2f, max %.2f)\n" "$p50" "$p95" "$max"
}
ratio() {
  local a b
  a=$(median "$RESULTS/$1.$2") || true
  b=$(median "$RESULTS/$1.ffplay") || true
  [ -n "$a" ] && [ -n "$b" ] && awk -v a="$a" -v b="$b" 'BEGIN{printf "%.2f", a / b}' || echo "-"
}

row() {
  { printf "%-34s" "$1"; shift; for cell in "$@"; do printf "%-30s" "$cell"; done; echo; } |
    sed 's/ *$//'
}

echo
echo "qvkavi: $BUILD${BEFORE:+, before: $BEFORE}; ffplay $(ffplay -version | awk 'NR==1{print $3}');" \
  "$RUNS runs; median (lowest-highest)"
header=(qvkavi)
[ -n "$BEFORE" ] && header+=(before)
header+=(ffplay)
row "" "${header[@]}"
cells() {  # figure, unit
  local out=()
  for column in "${COLUMNS[@]}" ffplay; do
    local value
    value=$(spread "$RESULTS/$1.$column")
    [ "$value" = "-" ] || value="$value $2"
    out+=("$value")
  done
  printf '%s\n' "${out[@]}"
}
mapfile -t line < <(cells windowed %); row "playing windowed 320x240, CPU" "${line[@]}"
ratios=(); for column in "${COLUMNS[@]}"; do ratios+=("$(ratio windowed "$column")"); done
row "  / ffplay's (target <= 0.25)" "${ratios[@]}"
mapfile -t line < <(cells fullscreen %); row "playing full screen 1280x720, CPU" "${line[@]}"
ratios=(); for column in "${COLUMNS[@]}"; do ratios+=("$(ratio fullscreen "$column")"); done
row "  / ffplay's (target <= 0.5)" "${ratios[@]}"
mapfile -t line < <(cells idle %); row "idle on the title, CPU (<= 0.1)" "${line[@]::${#COLUMNS[@]}}"
mapfile -t line < <(cells memory MB); row "peak memory (target <= 36 MB)" "${line[@]}"
mapfile -t line < <(cells mapped ms); row "start-up to the window" "${line[@]::${#COLUMNS[@]}}"
mapfile -t line < <(cells titled ms); row "start-up to the title (<= 150)" "${line[@]::${#COLUMNS[@]}}"
cellsOf() { for column in "${COLUMNS[@]}"; do latency "$RESULTS/$1.$column"; done; }
mapfile -t line < <(cellsOf key); row "key to judging (<= 2 ms)" "${line[@]}"
mapfile -t line < <(cellsOf joystick); row "joystick to judging (<= 5 ms)" "${line[@]}"
for kind in "${KINDS[@]::4}"; do
  read -r driver mode <<<"$kind"
  label="$driver, $mode:"
  [ "$mode" = fullscreen ] && label="$driver, full screen:"
  row "pictures $label"
  mapfile -t line < <(cells "within_${driver}_$mode" %)
  row "  within 5 ms of 83.3 (>= 98)" "${line[@]}"
  mapfile -t line < <(cells "median_${driver}_$mode" ms); row "  median interval" "${line[@]}"
  mapfile -t line < <(cells "spread_${driver}_$mode" ms); row "  spread (< 2 ms)" "${line[@]}"
done
mapfile -t line < <(cells offset ms); row "picture after its sound (disk)" "${line[@]}"
mapfile -t line < <(cells worst_offset ms); row "  the worst, either way (<= 20)" "${line[@]}"
