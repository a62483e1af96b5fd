#!/usr/bin/env bash
# The sample game played through in qvksim from scripts made from its move files: a perfect
# game (every correct move, every object taken) reaches the credits with 5 lives, in the
# straight and in the mirrored scenes; a game that passes by the object of seq03 plays
# missed.avi after seq06 and then seq03 again, from its start.
source "$2/tests/script_support.sh"
game="$build/game"
[ -x "$build/qvksim" ] || skip "qvksim is not built"
[ -f "$game/seq01.avi" ] || fail "no sample game in $game"

# The script lines that play scene $1 well: the correct move in every window, a few frames
# after it opens. With $2 "take", an object is taken first (its clip plays, the scene resumes
# with the row current again); with "pass", the object is passed by.
play_scene() {
  local base=$1 choice=$2
  tr -d '\r' <"$game/$base.txt" | awk -v base="$base" -v choice="$choice" '
    BEGIN { split("up down left right space", keys, " ") }
    NF == 7 {
      at = $1 + 12 + 3   # currentFrame inside the window: the move file gives picture frames
      correct = ""; object = ""; token = ""
      for (i = 3; i <= 7; i++) {
        if ($i == "00") correct = keys[i - 2]
        else if (substr($i, 1, 1) == "t") { object = keys[i - 2]; token = $i }
      }
      printf "until %s.avi %d\n", base, at
      if (object != "" && choice == "take") {
        printf "key %s\nuntil %s%s.avi 0\nuntil %s.avi %d\n", object, base, token, base, at
      }
      printf "key %s\n", correct
    }'
}

# Runs a script on the sample game; the trace goes to $work/$1.trace.
simulate() {
  local name=$1 coins=$2 clock=$3
  { echo "new"; cat; echo "until credits.avi 0"; echo "end"; } >"$work/$name.script"
  "$build/qvksim" --game "$game" --clock "$clock" --coins "$coins" "$work/$name.script" \
    >"$work/$name.trace" ||
    fail "$name: qvksim stopped with status $?: $(tail -n 20 "$work/$name.trace")"
}

expect() {  # expect NAME PATTERN: the trace of NAME holds a line matching PATTERN (grep -E)
  grep -Eq "$2" "$work/$1.trace" || { tail -n 30 "$work/$1.trace"; fail "$1: no line '$2'"; }
}
refuse() {  # refuse NAME PATTERN: no line matches
  ! grep -E "$2" "$work/$1.trace" || fail "$1: unexpected '$2'"
}
last_lives() { grep -E '^-?[0-9]+ lives ' "$work/$1.trace" | tail -n 1 | awk '{print $3}'; }

# A perfect game through seq01..seq08 (every coin 1), also with the frame timer for a clock,
# and through the mirrored scenes (every coin 0).
for variant in straight timer mirrored; do
  coins=11111111 order="02 03 04 05 06 07" clock=sound
  [ $variant = timer ] && clock=timer
  [ $variant = mirrored ] && coins=00000000 order="12 13 14 15 16 17"
  for n in 01 $order 08; do play_scene "seq$n" take; done | simulate $variant $coins $clock
  for n in 01 $order 08; do expect $variant " open seq$n.avi 0$"; done
  expect $variant " open credits.avi 0$"
  expect $variant " finish$"
  refuse $variant " open seq[0-9]+d[0-9]+\.avi"   # no death
  refuse $variant " open missed.avi"
  refuse $variant " missed seq"
  [ "$(last_lives $variant)" = 5 ] || fail "$variant: the credits came with $(last_lives $variant) lives"
done
expect straight " open seq03t1.avi 0$"   # the objects were taken
expect mirrored " open seq13t1.avi 0$"

# The object of seq03 passed by: after seq06, missed.avi, then seq03 again from its start,
# this time with its object taken, and on through seq04..seq06 to the credits.
{
  play_scene seq01 take
  play_scene seq02 take
  play_scene seq03 pass
  for n in 04 05 06; do play_scene seq$n take; done
  for n in 03 04 05 06 07 08; do play_scene seq$n take; done
} | simulate missed 1111111111 sound
expect missed " missed seq03\.avi$"
expect missed " open missed\.avi 0$"
grep -A3 ' open missed\.avi 0$' "$work/missed.trace" | grep -Eq ' open seq03\.avi 0$' ||
  fail "missed: seq03.avi does not follow missed.avi"
[ "$(grep -c ' open seq03\.avi 0$' "$work/missed.trace")" = 2 ] || fail "missed: seq03 not played twice"
[ "$(grep -c ' open seq06\.avi 0$' "$work/missed.trace")" = 2 ] || fail "missed: seq06 not played twice"
expect missed " open credits.avi 0$"
refuse missed " open seq[0-9]+d[0-9]+\.avi"
[ "$(last_lives missed)" = 5 ] || fail "missed: the credits came with $(last_lives missed) lives"
echo "played through: straight, with the timer, mirrored, and with the object of seq03 missed"
