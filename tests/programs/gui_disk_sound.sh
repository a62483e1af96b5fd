#!/usr/bin/env bash
# What the player hears is the clip's sound track byte for byte: the demo played through SDL's
# disk audio driver, which writes the mixed output to a file, is the demo's track (as ffmpeg
# reads it) up to where the clip ends (its last second is shown in a blink, without its sound),
# and silence after it.
BUILD=$1 SOURCE=$2
source "$SOURCE/tests/gui/common.sh"
needs ffmpeg cmp
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/heard.raw

ffmpeg -loglevel error -i "$GAME/demo.avi" -f u8 -acodec pcm_u8 "$WORK/track.raw" ||
  fail "ffmpeg cannot read the demo's sound"
track=$(stat -c %s "$WORK/track.raw")

startDisplay
startGame
# The demo starts ten seconds in and its clip ends some nineteen seconds later; the output
# closes three seconds after that, and the file grows no more.
waitUntil 20 test -f "$WORK/heard.raw" || fail "no sound was written"
settled() {
  local before
  before=$(stat -c %s "$WORK/heard.raw")
  sleep 1
  [ "$(stat -c %s "$WORK/heard.raw")" = "$before" ] && [ "$before" -gt 0 ]
}
WAIT_PAUSE=0 waitUntil 60 settled || fail "the sound went on for a minute"
heard=$(stat -c %s "$WORK/heard.raw")
# Where sound begins in a file: the first byte that is not silence (0x80), counted from 0.
soundStart() {
  (cmp "$1" <(head -c "$(stat -c %s "$1")" /dev/zero | tr '\0' '\200') 2>&1 || true) |
    awk '/differ/ {print $5 - 1}'
}
# SDL's device opens paused and may write a block of silence (2048 bytes) before the game's
# sound starts: the two are compared from where the track's sound begins.
lead=$(($(soundStart "$WORK/heard.raw") - $(soundStart "$WORK/track.raw")))
[ "$lead" -ge 0 ] && [ $((lead % 2048)) = 0 ] && [ "$lead" -le 4096 ] ||
  fail "the sound heard starts $lead bytes away from the track's"
# cmp names the first byte that differs; the files may also be alike up to the shorter's end.
same=$( (cmp -i "$lead:0" "$WORK/heard.raw" "$WORK/track.raw" 2>&1 || true) |
  awk '/differ/ {print $5 - 1}')
same=${same:-$((heard - lead < track ? heard - lead : track))}
echo "the track has $track bytes; $heard were written, of which the $same after $lead bytes of" \
  "silence are the track's"
[ "$same" -ge $((track - 44100)) ] || fail "the sound heard is not the track's ($same bytes alike)"
rest=$((heard - lead - same))
tail -c "$rest" "$WORK/heard.raw" | cmp -s - <(head -c "$rest" /dev/zero | tr '\0' '\200') ||
  fail "something other than silence follows the track"
echo "the demo's sound is its track, then silence"
closeAndExpectExit 3
