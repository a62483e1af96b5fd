// The play position of a sound buffer whose sound a device takes in blocks (SDL's audio
// callback takes 1024 samples, 46 ms, a turn). Read as the bytes taken so far, the position
// would stand still for 46 ms and then jump a whole block, and the pictures that follow it would
// judder. A sound card's position moves within its buffer as the sound is heard; this one does
// the same: from the start of the last block, at the moment the device took it, it moves on with
// the time since at the sound's byte rate. It never runs past what the device has taken (a late
// or missing block holds it there) and never goes back. A device that takes a block a little
// early (a sound server's pace wavers by a few milliseconds) does not make it jump: it catches
// up within half a second, so the pictures that follow it keep their pace.
//
// Positions count bytes since the last reset, never wrapping; the buffer maps them onto its own
// bytes. Times are nanoseconds of a monotonic clock that the caller reads.
#pragma once

#include <cstdint>

struct PlayPosition {
  uint32_t bytesPerSecond = 44100;
  uint64_t taken = 0;      // bytes the device has taken since the reset
  uint64_t anchor = 0;     // the position when the device took its last block
  int64_t anchorTime = 0;  // and when that was
  uint64_t behind = 0;     // how far the anchor lay behind the last block's start: caught up
  bool moving = false;     // a block has been taken since the reset: the position moves
  uint64_t reported = 0;   // the furthest position read since the reset
};

// A stop, a new position or a new clip: the position stands at what the device has taken (all
// of which is heard) until the device takes the next block. Counting starts again from 0.
void resetPlayPosition(PlayPosition& position);
// The device takes bytes more at time now.
void takePlayBytes(PlayPosition& position, uint32_t bytes, int64_t now);
// The position at time now (bytes since the reset). Not earlier than any read before it.
uint64_t readPlayPosition(PlayPosition& position, int64_t now);
// When the position reaches what the device has taken (INT64_MIN: it stands still).
int64_t timeTakenIsHeard(const PlayPosition& position);
// Nanoseconds from now until the position reaches target, the device taking its blocks on time;
// -1 when only the device's next block can tell (the position stands still, or target lies past
// what the device has taken and the device is late).
int64_t timeUntilPlayPosition(const PlayPosition& position, uint64_t target, int64_t now);
