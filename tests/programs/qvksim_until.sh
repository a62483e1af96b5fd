#!/usr/bin/env bash
# qvksim's until waits for what can happen and says at once when it never can: a clip the game
# does not have, a frame past the end of its clip, a clip that nothing opens once the game is
# over; the frame it names as a clip's last is one an until reaches, and a demo that goes on
# with a scene is waited for.
source "$2/tests/script_support.sh"
[ -x "$build/bin/qvksim" ] || skip "qvksim is not built"

cd "$work"
printf '40  d1   00   d1   d1   d1   d1\r\n' >seq01.txt
printf '0\r\n9999\r\n' >seq01.hot
printf '%s\n' "demo.avi 60" "seq01.avi 100" "seq01d1.avi 20" "4lives.avi 20" "3lives.avi 20" \
  "2lives.avi 20" "1lives.avi 20" "cont.avi 20" "gameover.avi 20" "missed.avi 20" >clips

# simulate NAME CLOCK LINE...: the script NAME.sim of those lines on the clips of $manifest; its
# trace in NAME.trace, status in $status.
manifest=clips
simulate() {
  printf '%s\n' "${@:3}" >"$1.sim"
  status=0
  "$build/bin/qvksim" --game . --install . --clock "$2" --virtual-media "$manifest" "$1.sim" \
    >"$1.trace" 2>"$1.err" || status=$?
}
expect() {  # expect NAME STATUS LAST-LINE-PATTERN
  [ "$status" = "$2" ] || { cat "$1.trace" "$1.err"; fail "$1: exit $status, expected $2"; }
  grep -Eq "$3" "$1.err" || tail -n 2 "$1.trace" | grep -Eq "$3" ||
    { tail -n 5 "$1.trace"; cat "$1.err"; fail "$1: no '$3'"; }
}

# A clip the game does not have: told before anything runs, with the script's line.
simulate absent sound new "until seq01.avi 10" "until seq02.avi 10"
expect absent 2 '^qvksim: absent.sim:3: until seq02.avi 10 can never be met: the game has no clip seq02.avi$'
[ ! -s absent.trace ] || { cat absent.trace; fail "absent: the script ran"; }

for clock in sound timer; do
  # A frame past the end of the clip; the frame it names is the last an until reaches.
  simulate far $clock new "key f5" "until seq01.avi 500"
  expect far 3 '^[0-9]+ never seq01.avi 500: seq01.avi played to its end and got no further than frame [0-9]+$'
  last=$(grep never far.trace | awk '{print $NF}')
  simulate last $clock new "key f5" "until seq01.avi $last"
  [ "$status" = 0 ] || { tail -n 5 last.trace; fail "$clock: until seq01.avi $last not met"; }
  simulate past $clock new "key f5" "until seq01.avi $((last + 1))"
  expect past 3 "never seq01.avi $((last + 1)): seq01.avi played to its end"

  # Other clips that end on the way do not count: after a death the scene comes back.
  simulate again $clock new "until seq01d1.avi 0" "until seq01.avi 60"
  [ "$status" = 0 ] || { tail -n 5 again.trace; fail "$clock: the scene did not come back"; }

  # No key: five deaths, game over, and then only the demo plays.
  simulate over $clock new "until missed.avi 5"
  expect over 3 '^[0-9]+ never missed.avi 5: the game is over, and only the demo plays, which never opens missed.avi$'
  grep -q "open gameover.avi" over.trace || fail "$clock: no game over before the never"
done

# A demo that outlasts its move file goes on with the scene: the until waits for it.
sed 's/^demo.avi 60$/demo.avi 200/' clips >long
manifest=long
simulate demo sound new "until gameover.avi 0" "until seq01.avi 30"
[ "$status" = 0 ] || { tail -n 8 demo.trace; fail "demo: exit $status"; }
tail -n 2 demo.trace | grep -q "^[0-9]* close$" || { tail -n 8 demo.trace; fail "demo: no seq01"; }
grep -A3 "open demo.avi 0" demo.trace | grep -q "open seq01.avi" ||
  { cat demo.trace; fail "demo: the demo did not go on with seq01.avi"; }
echo "qvksim until: ok"
