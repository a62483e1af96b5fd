#!/usr/bin/env bash
# Play without a sound device (SDL has no audio driver called "none"): timer mode, in silence;
# started in another directory as `qvkavi GAME_DIR`, the program plays the game of GAME_DIR.
BUILD=$1 SOURCE=$2 GAME_ARGUMENT=1
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/play.sh"
