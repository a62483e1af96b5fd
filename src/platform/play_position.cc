// The play position that moves between the blocks a sound device takes.
#include "platform/play_position.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

}  // namespace

void resetPlayPosition(PlayPosition& position) {
  position.taken = 0;
  position.blockStart = 0;
  position.blockTime = 0;
  position.moving = false;
  position.reported = 0;
}

void takePlayBytes(PlayPosition& position, uint32_t bytes, int64_t now) {
  position.blockStart = position.taken;
  position.taken += bytes;
  position.blockTime = now;
  position.moving = true;
}

uint64_t readPlayPosition(PlayPosition& position, int64_t now) {
  if (position.moving) {
    // Past a second the block has long been heard; the bound also keeps the product in range.
    int64_t elapsed = std::clamp<int64_t>(now - position.blockTime, 0, kNanosecondsPerSecond);
    uint64_t moved = static_cast<uint64_t>(elapsed) * position.bytesPerSecond /
                     static_cast<uint64_t>(kNanosecondsPerSecond);
    position.reported =
        std::max(position.reported, std::min(position.taken, position.blockStart + moved));
  }
  return position.reported;
}

int64_t timeTakenIsHeard(const PlayPosition& position) {
  if (!position.moving || position.bytesPerSecond == 0) return INT64_MIN;
  uint64_t bytes = position.taken - position.blockStart;
  return position.blockTime +
         static_cast<int64_t>((bytes * kNanosecondsPerSecond + position.bytesPerSecond - 1) /
                              position.bytesPerSecond);
}

int64_t timeUntilPlayPosition(const PlayPosition& position, uint64_t target, int64_t now) {
  if (target <= position.reported) return 0;
  if (!position.moving || position.bytesPerSecond == 0) return -1;
  if (target <= position.blockStart) return 0;
  // The first nanosecond at which the position reaches target, the device taking its blocks on
  // time. Past it with target not taken, the device is late, and only its next block can move
  // the position there.
  uint64_t bytes = target - position.blockStart;
  int64_t reached =
      position.blockTime +
      static_cast<int64_t>((bytes * kNanosecondsPerSecond + position.bytesPerSecond - 1) /
                           position.bytesPerSecond);
  if (target > position.taken && reached <= now) return -1;
  return std::max<int64_t>(0, reached - now);
}
