#!/usr/bin/env bash
# Play without a sound device: SDL tries every output it knows (none works: no sound server, no
# such sound card), and the sound output's own clock drives the game, in silence. One line on
# standard error says so, and nothing else does (ALSA would tell its errors in eight lines of its
# own); the window's title says so too. Started in another directory as `qvkavi GAME_DIR`, the
# program plays the game of GAME_DIR.
BUILD=$1 SOURCE=$2 GAME_ARGUMENT=1 EXPECT_STATUS="No sound device: silent"
unset SDL_AUDIODRIVER
export ALSA_CARD=no-such-card PULSE_SERVER=unix:/nonexistent/pulse PIPEWIRE_REMOTE=/nonexistent
source "$SOURCE/tests/gui/play.sh"
[ "$(cat "$WORK/qvkavi.log")" = "No sound output: the game plays on in silence." ] ||
  fail "not one line about the sound, and nothing else: $(cat "$WORK/qvkavi.log")"
echo "one line says that the sound is off, and nothing else is said"
