#!/usr/bin/env bash
# Play without a sound device (SDL has no audio driver called "none"): the sound output's own
# clock drives the game, in silence, and one line on standard error says so. Started in another
# directory as `qvkavi GAME_DIR`, the program plays the game of GAME_DIR.
BUILD=$1 SOURCE=$2 GAME_ARGUMENT=1
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/play.sh"
[ "$(grep -c "the game plays on in silence" "$WORK/qvkavi.log")" = 1 ] ||
  fail "not one line about the sound: $(cat "$WORK/qvkavi.log")"
echo "one line says that the sound is off"
