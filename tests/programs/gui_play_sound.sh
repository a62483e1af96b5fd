#!/usr/bin/env bash
# Play with a sound device (SDL's dummy output): the sound card's position is the clock.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=dummy
source "$SOURCE/tests/gui/play.sh"
