#!/usr/bin/env bash
# The sample game that the build writes into build/game: the checker finds nothing in it, it
# stays under 60 MB, a second run writes the same bytes, and the mirrored scenes are mirrors.
source "$2/tests/script_support.sh"
game="$build/game"
[ -f "$game/seq01.avi" ] || fail "no sample game in $game"

# Nothing for an author to fix: not even a note of a clip, move file or scene not made.
"$build/qvkcheck" "$game" >"$work/check" 2>&1 || { cat "$work/check"; fail "qvkcheck found problems"; }
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
"$build/qvkgen" "$work/again" >/dev/null
diff -r "$game" "$work/again" || fail "the second run wrote other files or other bytes"

# seq12..seq17 are seq02..seq07 with left (item 5) and right (item 6) exchanged...
for n in 2 3 4 5 6 7; do
  straight=$(tr -d '\r' <"$game/seq0$n.txt" | awk '{print $1, $2, $3, $4, $6, $5, $7}')
  mirrored=$(tr -d '\r' <"$game/seq1$n.txt" | awk '{print $1, $2, $3, $4, $5, $6, $7}')
  [ "$straight" = "$mirrored" ] || fail "seq1$n.txt is not seq0$n.txt with left and right exchanged"
  cmp -s "$game/seq0$n.hot" "$game/seq1$n.hot" || fail "seq1$n.hot differs from seq0$n.hot"
done

# ...and their pictures are mirrored, all but the title bar and the text panel below.
if command -v convert >/dev/null && [ -x "$build/qvkprobe" ]; then
  for n in 2 5; do
    "$build/qvkprobe" "$game/seq0$n.avi" --frame 100 --out "$work/straight.ppm" >/dev/null
    "$build/qvkprobe" "$game/seq1$n.avi" --frame 100 --out "$work/mirrored.ppm" >/dev/null
    convert "$work/straight.ppm" -crop 320x192+0+14 -flop "$work/a.ppm"
    convert "$work/mirrored.ppm" -crop 320x192+0+14 "$work/b.ppm"
    differ=$(compare -metric AE "$work/a.ppm" "$work/b.ppm" /dev/null 2>&1 || true)
    [ "$differ" = "0" ] || fail "frame 100 of seq1$n.avi is not seq0$n.avi's mirrored ($differ pixels)"
  done
fi

expectFailure 2 . "$build/qvkgen"  # no directory
echo "sample game: $size bytes, checked"
