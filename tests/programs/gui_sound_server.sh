#!/usr/bin/env bash
# The game goes on when its sound server goes away and takes the sound back when it returns: a
# PulseAudio server of the test's own with a null sink, stopped while the title shows (New then
# plays, in silence) and during the game, and started again (the program's sound reaches it
# again, without a restart).
BUILD=$1 SOURCE=$2
source "$SOURCE/tests/gui/common.sh"
needs pulseaudio pactl

PULSE_DIR=$WORK/pulse
mkdir -p "$PULSE_DIR"
export PULSE_SERVER=unix:$PULSE_DIR/native SDL_AUDIODRIVER=pulseaudio
PULSE_PID=""
startPulse() {
  XDG_RUNTIME_DIR=$PULSE_DIR HOME=$PULSE_DIR pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disable-shm=yes --load="module-null-sink sink_name=null" \
    --load="module-native-protocol-unix socket=$PULSE_DIR/native auth-anonymous=1" \
    >>"$WORK/pulse.log" 2>&1 &
  PULSE_PID=$!
  waitUntil 10 pactl info >/dev/null 2>&1 || fail "pulseaudio did not start"
}
stopPulse() {
  [ -n "$PULSE_PID" ] || return 0
  kill "$PULSE_PID"
  wait "$PULSE_PID" 2>/dev/null || true
  PULSE_PID=""
}
trap 'stopPulse; cleanup' EXIT
# Whether a stream of the program plays into the server.
programPlays() { pactl list short sink-inputs 2>/dev/null | grep -q .; }
# Whether the pictures move within 3 s (a clip that opens holds its picture for a second).
picturesMove() { waitUntil 3 framesChange; }

startDisplay
startPulse
startGame
sleep 1
stopPulse

menu g n
sleep 1
picturesMove || fail "without a sound server, the game's pictures stand still"
echo "without a sound server New plays the game"
waitUntil 3 grep -q "No sound output: the game plays on in silence." "$WORK/qvkavi.log" ||
  fail "nothing said that the sound is off: $(cat "$WORK/qvkavi.log")"
echo "the program says that the sound is off"

startPulse
waitUntil 8 programPlays || fail "the sound did not come back to the server"
grep -q "Sound output is back." "$WORK/qvkavi.log" || fail "nothing said that the sound is back"
picturesMove || fail "the pictures stopped when the sound came back"
echo "the sound comes back to the server and the game goes on"

stopPulse
sleep 1
picturesMove || fail "the pictures stopped when the server went away during the game"
echo "the game goes on when the server goes away while it plays"
[ "$(grep -c "the game plays on in silence" "$WORK/qvkavi.log")" = 2 ] ||
  fail "expected two lines about the sound going: $(cat "$WORK/qvkavi.log")"

closeAndExpectExit 3
