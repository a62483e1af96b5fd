#!/usr/bin/env bash
# qvkprobe on a file that ffmpeg makes: the report names what the player sees, the picture of
# frame N is the one ffmpeg decodes, and unreadable files and bad usage get their exit codes and
# a message.
source "$2/tests/script_support.sh"
needs ffmpeg
probe="$build/bin/qvkprobe"

ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=12:duration=2 \
  -f lavfi -i sine=frequency=440:sample_rate=22050:duration=2 \
  -c:v msvideo1 -c:a pcm_u8 -ac 2 -ar 22050 "$work/clip.avi"

"$probe" "$work/clip.avi" >"$work/report"
for line in "codec: msvideo1" "frames: 24 " "index: idx1" \
  "audio: stream 1, PCM, 2 channels, 22050 Hz, 8 bits" "sound: 88200 bytes"; do
  grep -qF "$line" "$work/report" || fail "no '$line' in: $(cat "$work/report")"
done

"$probe" "$work/clip.avi" --frame 17 --out "$work/ours.ppm"
ffmpeg -v error -i "$work/clip.avi" -vf 'select=eq(n\,17)' -frames:v 1 -pix_fmt rgb24 \
  -f image2 -c:v ppm "$work/theirs.ppm"
cmp "$work/ours.ppm" "$work/theirs.ppm"

head -c 5000 /dev/urandom >"$work/noise.avi"
expectFailure 1 . "$probe" "$work/noise.avi"
expectFailure 1 . "$probe" "$work/missing.avi"
expectFailure 1 . "$probe" "$work/clip.avi" --frame 24 --out "$work/x.ppm"
expectFailure 2 . "$probe"
expectFailure 2 . "$probe" "$work/clip.avi" --frame 3
expectFailure 2 . "$probe" "$work/clip.avi" --frame x --out "$work/x.ppm"
expectFailure 2 . "$probe" "$work/clip.avi" "$work/clip.avi"
echo "qvkprobe: ok"
