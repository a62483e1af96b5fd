#!/usr/bin/env bash
# The sample game that the build writes into build/game: the checker finds nothing in it, it
# stays under 60 MB, a second run writes the same bytes, and the mirrored scenes are mirrors.
# Played through in qvksim from scripts made from its move files, a perfect game (every correct
# move, every object taken) reaches the credits with 5 lives, in the straight and in the
# mirrored scenes, with either clock.
source "$2/tests/script_support.sh"
game="$build/game"
[ -x "$build/bin/qvksim" ] || skip "qvksim is not built"
[ -f "$game/seq01.avi" ] || fail "no sample game in $game"

# Nothing for an author to fix: not even a note of a clip, move file or scene not made.
"$build/bin/qvkcheck" "$game" >"$work/check" 2>&1 || { cat "$work/check"; fail "qvkcheck found problems"; }
[ -s "$work/check" ] && { cat "$work/check"; fail "qvkcheck printed something"; }

size=$(du -cb "$game"/* | tail -n 1 | cut -f 1)
[ "$size" -lt 60000000 ] || fail "the game takes $size bytes, more than 60 MB"

# Text files end their lines with CR LF.
for file in "$game"/*.txt "$game"/*.hot; do
  lines=$(wc -l <"$file")
  crlf=$(grep -c $'\r$' "$file")
  [ "$lines" = "$crlf" ] || fail "$file: $crlf of $lines lines end in CR LF"
done

# The same bytes again.
"$build/bin/qvkgen" "$work/again" >/dev/null
diff -r "$game" "$work/again" || fail "the second run wrote other files or other bytes"

# seq12..seq17 are seq02..seq07 with left (item 5) and right (item 6) exchanged...
for n in 2 3 4 5 6 7; do
  straight=$(tr -d '\r' <"$game/seq0$n.txt" | awk '{print $1, $2, $3, $4, $6, $5, $7}')
  mirrored=$(tr -d '\r' <"$game/seq1$n.txt" | awk '{print $1, $2, $3, $4, $5, $6, $7}')
  [ "$straight" = "$mirrored" ] || fail "seq1$n.txt is not seq0$n.txt with left and right exchanged"
  cmp -s "$game/seq0$n.hot" "$game/seq1$n.hot" || fail "seq1$n.hot differs from seq0$n.hot"
done

# ...and their pictures are mirrored, all but the title bar and the text panel below.
if command -v convert >/dev/null && [ -x "$build/bin/qvkprobe" ]; then
  for n in 2 5; do
    "$build/bin/qvkprobe" "$game/seq0$n.avi" --frame 100 --out "$work/straight.ppm" >/dev/null
    "$build/bin/qvkprobe" "$game/seq1$n.avi" --frame 100 --out "$work/mirrored.ppm" >/dev/null
    convert "$work/straight.ppm" -crop 320x192+0+14 -flop "$work/a.ppm"
    convert "$work/mirrored.ppm" -crop 320x192+0+14 "$work/b.ppm"
    differ=$(compare -metric AE "$work/a.ppm" "$work/b.ppm" /dev/null 2>&1 || true)
    [ "$differ" = "0" ] || fail "frame 100 of seq1$n.avi is not seq0$n.avi's mirrored ($differ pixels)"
  done
fi

expectFailure 2 . "$build/bin/qvkgen"  # no directory
echo "sample game: $size bytes, checked"

# The script lines that play scene $1 well: the correct move in every window, a few frames
# after it opens, an object taken first (its clip plays, the scene resumes with the row current
# again).
play_scene() {
  local base=$1
  tr -d '\r' <"$game/$base.txt" | awk -v base="$base" '
    BEGIN { split("up down left right space", keys, " ") }
    NF == 7 {
      at = $1 + 12 + 3   # currentFrame inside the window: the move file gives picture frames
      correct = ""; object = ""; token = ""
      for (i = 3; i <= 7; i++) {
        if ($i == "00") correct = keys[i - 2]
        else if (substr($i, 1, 1) == "t") { object = keys[i - 2]; token = $i }
      }
      printf "until %s.avi %d\n", base, at
      if (object != "") {
        printf "key %s\nuntil %s%s.avi 0\nuntil %s.avi %d\n", object, base, token, base, at
      }
      printf "key %s\n", correct
    }'
}

# Runs a script on the sample game; the trace goes to $work/$1.trace. Its until lines fail the run
# unless every scene, every object's clip and the credits come, in order.
simulate() {
  local name=$1 coins=$2 clock=$3
  { echo "new"; cat; echo "until credits.avi 0"; echo "end"; } >"$work/$name.script"
  "$build/bin/qvksim" --game "$game" --clock "$clock" --coins "$coins" "$work/$name.script" \
    >"$work/$name.trace" ||
    fail "$name: qvksim stopped with status $?: $(tail -n 20 "$work/$name.trace")"
}

last_lives() { grep -E '^-?[0-9]+ lives ' "$work/$1.trace" | tail -n 1 | awk '{print $3}'; }

# A perfect game through seq01..seq08 (every coin 1), also with the frame timer for a clock,
# and through the mirrored scenes (every coin 0).
for variant in straight timer mirrored; do
  coins=11111111 order="02 03 04 05 06 07" clock=sound
  [ $variant = timer ] && clock=timer
  [ $variant = mirrored ] && coins=00000000 order="12 13 14 15 16 17"
  for n in 01 $order 08; do play_scene "seq$n"; done | simulate $variant $coins $clock
  ! grep -E " missed seq" "$work/$variant.trace" || fail "$variant: an object was missed"
  # Every death costs a life: the lives the game began with mean that none came.
  [ "$(last_lives $variant)" = 5 ] || fail "$variant: the credits came with $(last_lives $variant) lives"
done

echo "played through: straight, with the timer, and mirrored"
