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
# The demo starts ten seconds in and its clip ends some nineteen seconds later.
waitUntil 20 test -f "$WORK/heard.raw" || fail "no sound was written"
sleep 22
heard=$(stat -c %s "$WORK/heard.raw")
# cmp names the first byte that differs; the files may also be alike up to the shorter's end.
same=$( (cmp "$WORK/heard.raw" "$WORK/track.raw" 2>&1 || true) | awk '/differ/ {print $5 - 1}')
same=${same:-$((heard < track ? heard : track))}
echo "the track has $track bytes; $heard were written, of which the first $same are the track's"
[ "$same" -ge $((track - 44100)) ] || fail "the sound heard is not the track's ($same bytes alike)"
tail -c +$((same + 1)) "$WORK/heard.raw" | cmp -s - <(head -c $((heard - same)) /dev/zero | tr '\0' '\200') ||
  fail "something other than silence follows the track"
echo "the demo's sound is its track, then silence"
closeAndExpectExit 3
