#!/usr/bin/env bash
# Writes the seed inputs of the game_play fuzz target into fuzz/corpus/game_play: four head
# bytes (flags, seed, clip frames, scene frames / 2), then the move file, the hotspot file, the
# saved game and the script, separated by "\n%%\n". Script bytes: op % 8 is 0-2 a key (op / 8 % 9
# of up, down, left, right, space, F5, F6, Esc, Q), 3 a command (op / 8 % 4 of New, Load, Save,
# Stop), 4 an attract tick, 5 a focus change, 6 a display mode, 7 op / 8 + 1 frames of play.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/game_play
mkdir -p "$out"

NEW='\003' LOAD='\013' SAVE='\023' STOP='\033' ATTRACT='\004'
UP='\000' RIGHT='\030' SPACE='\040' F5='\050'
FRAMES32='\377' FRAMES8='\077'
MOVES='40 d1 d1 d1 d1 d1 00\r\n90 d2 t1 d2 d2 d2 00\r\n130 d1 d1 00 d1 d1 d1\r\n'
HOT='0\r\n70\r\n9999\r\n'

# seed NAME FLAGS MOVES HOT SAVE SCRIPT (printf escapes)
seed() {
  printf "$2"'\007\024\101'"$3"'\n%%%%\n'"$4"'\n%%%%\n'"$5"'\n%%%%\n'"$6" >"$out/$1"
}

# A saved game as printf escapes: missed scene, lives, scene, restart frame, move row,
# checkpoint, resume row (numbers below 256).
name15() {
  local i
  for ((i = 0; i < 15; i++)); do printf '\\%03o' "'${1:i:1}"; done
}
int32() {
  printf '\\%03o\\000\\000\\000' "$1"
}
record() {
  echo "$(name15 "$1")$(int32 "$2")$(name15 "$3")$(int32 "$4")$(int32 "$5")$(int32 "$6")$(int32 "$7")"
}

seed new_sound '\001' "$MOVES" "$HOT" '' "$NEW$FRAMES8$SPACE$FRAMES8$UP$FRAMES32$FRAMES32"
seed new_timer '\000' "$MOVES" "$HOT" '' "$NEW$FRAMES8$SPACE$FRAMES32$RIGHT$FRAMES32$F5$FRAMES32"
seed deaths_continue '\001' "$MOVES" "$HOT" '' \
  "$NEW$FRAMES32$FRAMES32$FRAMES32$FRAMES32$FRAMES32$FRAMES32$FRAMES32$FRAMES32$UP$FRAMES32"
seed save_load '\003' "$MOVES" "$HOT" "$(record seq01.avi 3 seq01.avi 70 1 1 1)" \
  "$LOAD$FRAMES8$SAVE$STOP$LOAD$FRAMES32"
seed missing_scene '\002' "$MOVES" "$HOT" "$(record '' 5 seq99.avi 0 0 0 0)" \
  "$LOAD$FRAMES32$NEW$FRAMES8"
seed demo '\000' "$MOVES" "$HOT" '' "$ATTRACT$FRAMES32$UP$ATTRACT$FRAMES8$NEW$STOP"
seed damaged_moves '\001' '\r\n-12 d1 d1 d1 d1 d1 00\r\n2147483630 d1 00 d1 d1 d1 d1\r\n' \
  '-5\r\n2147483647\r\n' '' "$NEW$FRAMES32$FRAMES32$FRAMES32$FRAMES32"
