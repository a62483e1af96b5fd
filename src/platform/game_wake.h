// Wake-ups: the game thread sleeps while nothing can change the outcome of its next pass, and
// whatever can wakes it: the play cursor entering the next frame's sound, a FrameTimer tick, a
// key, a focus change, a stop request, a message box closing. Wake-ups are counted: the thread
// reads the count before a pass and sleeps only while it is unchanged, so a wake-up that comes
// during the pass is never lost. A stop request must wake the thread after it is set.
#pragma once

#include <cstdint>

uint64_t gameWakeCount();
// Any thread, the audio callback included: takes one short lock and never waits otherwise.
void wakeGame();
// Sleeps until the count differs from seen, the calling thread is asked to stop, or timeoutUs
// microseconds have passed.
void waitForGameWake(uint64_t seen, uint64_t timeoutUs);
// Whether a thread sleeps in waitForGameWake having seen every wake-up so far, so that only
// another one can wake it (tests: the game thread has run its passes and gone to sleep).
bool gameWakeSleeperUpToDate();

// Whether a play cursor that moves on by bytes from cursor, in a buffer of size bytes, crosses a
// multiple of interval (0: never); the buffer's start, where the cursor wraps, is one.
inline bool cursorCrossesMultiple(uint32_t cursor, uint32_t bytes, uint32_t size,
                                  uint32_t interval) {
  if (interval == 0 || bytes == 0) return false;
  uint64_t end = uint64_t{cursor} + bytes;
  return end >= size || cursor / interval != end / interval;
}
