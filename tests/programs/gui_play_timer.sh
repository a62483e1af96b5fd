#!/usr/bin/env bash
# Play without a sound device (SDL has no audio driver called "none"): timer mode, in silence.
BUILD=$1 SOURCE=$2
export SDL_AUDIODRIVER=none
source "$SOURCE/tests/gui/play.sh"
