// The play position that moves between the blocks a sound device takes.
#include "platform/play_position.h"

#include <algorithm>
#include <climits>

namespace {

__extension__ typedef __int128 Wide;  // products of nanoseconds and bytes

constexpr int64_t kNanosecondsPerSecond = 1000000000;
// A device that takes a block before the position has reached the end of the last one is a
// little ahead of its pace (a sound server may take a few blocks late and then one early). The
// position does not jump there: it catches up over this time, a few percent faster than the
// sound's rate, so the pictures that follow it keep their pace.
constexpr int64_t kCatchUpNs = 500000000;
// Further behind than this the position jumps: the device took blocks in a burst.
constexpr int64_t kLargestCatchUpNs = 20000000;

// Bytes the position has moved elapsed nanoseconds after the anchor, before the cap at what was
// taken: the sound's rate, and the catching up spread over kCatchUpNs.
uint64_t movedSince(const PlayPosition& position, int64_t elapsed) {
  Wide rate = position.bytesPerSecond;
  if (elapsed >= kCatchUpNs)
    return static_cast<uint64_t>(Wide(elapsed) * rate / kNanosecondsPerSecond) + position.behind;
  Wide perNs = rate * kCatchUpNs + Wide(position.behind) * kNanosecondsPerSecond;
  return static_cast<uint64_t>(Wide(elapsed) * perNs / (Wide(kNanosecondsPerSecond) * kCatchUpNs));
}

// The first nanosecond after the anchor at which the position has moved bytes (uncapped).
int64_t timeToMove(const PlayPosition& position, uint64_t bytes) {
  Wide rate = position.bytesPerSecond;
  if (bytes <= movedSince(position, kCatchUpNs)) {
    Wide perNs = rate * kCatchUpNs + Wide(position.behind) * kNanosecondsPerSecond;
    Wide scaled = Wide(bytes) * kNanosecondsPerSecond * kCatchUpNs;
    return static_cast<int64_t>((scaled + perNs - 1) / perNs);
  }
  Wide rest = Wide(bytes - position.behind) * kNanosecondsPerSecond;
  return static_cast<int64_t>((rest + rate - 1) / rate);
}

}  // namespace

void resetPlayPosition(PlayPosition& position) {
  position.taken = 0;
  position.anchor = 0;
  position.anchorTime = 0;
  position.behind = 0;
  position.moving = false;
  position.reported = 0;
}

void takePlayBytes(PlayPosition& position, uint32_t bytes, int64_t now) {
  uint64_t onTime = position.taken;  // where the position stands if the device keeps its pace
  uint64_t at = position.moving ? readPlayPosition(position, now) : onTime;
  uint64_t largest = static_cast<uint64_t>(Wide(position.bytesPerSecond) * kLargestCatchUpNs /
                                           kNanosecondsPerSecond);
  if (onTime - at > largest) at = onTime;
  position.anchor = at;
  position.behind = onTime - at;
  position.anchorTime = now;
  position.taken += bytes;
  position.moving = true;
}

uint64_t readPlayPosition(PlayPosition& position, int64_t now) {
  if (position.moving && position.bytesPerSecond > 0) {
    // Past a second the block has long been heard; the bound also keeps the product in range.
    int64_t elapsed = std::clamp<int64_t>(now - position.anchorTime, 0, kNanosecondsPerSecond);
    position.reported =
        std::max(position.reported,
                 std::min(position.taken, position.anchor + movedSince(position, elapsed)));
  }
  return position.reported;
}

int64_t timeTakenIsHeard(const PlayPosition& position) {
  if (!position.moving || position.bytesPerSecond == 0) return INT64_MIN;
  return position.anchorTime + timeToMove(position, position.taken - position.anchor);
}

int64_t timeUntilPlayPosition(const PlayPosition& position, uint64_t target, int64_t now) {
  if (target <= position.reported) return 0;
  if (!position.moving || position.bytesPerSecond == 0) return -1;
  if (target <= position.anchor) return 0;
  // The first nanosecond at which the position reaches target, the device taking its blocks on
  // time. Past it with target not taken, the device is late, and only its next block can move
  // the position there.
  int64_t reached = position.anchorTime + timeToMove(position, target - position.anchor);
  if (target > position.taken && reached <= now) return -1;
  return std::max<int64_t>(0, reached - now);
}
