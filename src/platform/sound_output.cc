// The sound output: the system's audio output while there is one, the output's own clock in
// silence while there is none.
#include "platform/sound_output.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "platform/headless.h"

namespace {

constexpr int64_t kNsPerSecond = 1000000000;
constexpr uint32_t kOutputBytesPerSecond = 44100;
// Further behind than this (the thread was held up), the silent clock starts afresh instead of
// mixing every block it missed at once.
constexpr int64_t kSilentCatchUpNs = kNsPerSecond / 4;

// When block number n of the silent clock is due.
int64_t silentBlockTime(const SoundOutput& output, uint64_t n) {
  return output.silentSince +
         static_cast<int64_t>(n * kOutputBlockBytes * kNsPerSecond / kOutputBytesPerSecond);
}

void reportOnce(SoundOutput& output, bool silent, const char* line) {
  if (output.silenceReported == silent) return;
  output.silenceReported = silent;
  if (output.report) output.report(line);
}

// The output's own clock takes up where the sound taken before ends, so the clock does not jump.
void goSilent(SoundOutput& output, int64_t now, const char* line) {
  output.state = OutputState::kSilent;
  output.silentSince = std::max(now, sdlSoundHeardUntil(output.device));
  output.silentBlocks = 0;
  output.nextAttempt = now + kOutputRetryNs;
  reportOnce(output, true, line);
}

bool tryOpen(SoundOutput& output, int64_t now) {
  if (!output.backend || !output.backend->open()) return false;
  output.state = OutputState::kOpen;
  output.nextCheck = now + kOutputCheckNs;
  reportOnce(output, false, "Sound output is back.");
  return true;
}

int64_t stepWanted(SoundOutput& output, int64_t now) {
  if (output.state == OutputState::kOpen && now >= output.nextCheck) {
    output.nextCheck = now + kOutputCheckNs;
    if (output.backend->lost()) {
      output.backend->close();
      goSilent(output, now, "The sound output went away: the game plays on in silence.");
    }
  }
  if (output.state == OutputState::kClosed && !tryOpen(output, now))
    goSilent(output, now, "No sound output: the game plays on in silence.");
  if (output.state == OutputState::kOpen) return output.nextCheck;

  if (now - silentBlockTime(output, output.silentBlocks) > kSilentCatchUpNs) {
    output.silentSince = now;
    output.silentBlocks = 0;
  }
  uint8_t block[kOutputBlockBytes];
  while (silentBlockTime(output, output.silentBlocks) <= now) {
    // The system's output is tried where a block is due, and takes that block: the clock goes
    // on without a jump (it holds while the output opens).
    if (now >= output.nextAttempt) {
      if (tryOpen(output, now)) return output.nextCheck;
      output.nextAttempt = now + kOutputRetryNs;
    }
    mixSdlSound(output.device, block, kOutputBlockBytes);
    ++output.silentBlocks;
  }
  int64_t next = silentBlockTime(output, output.silentBlocks);
  return output.backend ? std::min(next, output.nextAttempt) : next;
}

}  // namespace

void noteOutputWanted(SoundOutput& output, bool wanted, int64_t now) {
  {
    std::lock_guard<std::mutex> hold(output.lock);
    if (output.wanted == wanted) return;
    output.wanted = wanted;
    ++output.changes;
    if (!wanted) output.idleSince = now;
  }
  output.changed.notify_all();
}

int64_t stepSoundOutput(SoundOutput& output, int64_t now) {
  bool wanted = false;
  int64_t idleSince = 0;
  {
    std::lock_guard<std::mutex> hold(output.lock);
    wanted = output.wanted;
    idleSince = output.idleSince;
  }
  if (wanted) return stepWanted(output, now);
  // Nothing plays: a silent clock has nothing to move, and the system's output closes once it
  // has been idle a while. The next play tries it again.
  if (output.state == OutputState::kSilent) output.state = OutputState::kClosed;
  if (output.state != OutputState::kOpen) return INT64_MAX;
  if (now - idleSince < kOutputLingerNs) return idleSince + kOutputLingerNs;
  output.backend->close();
  output.state = OutputState::kClosed;
  return INT64_MAX;
}

void startSoundOutput(SoundOutput& output, int64_t (*clock)()) {
  output.thread = std::thread([&output, clock] {
    std::unique_lock<std::mutex> hold(output.lock);
    while (!output.quit) {
      uint64_t seen = output.changes;
      hold.unlock();
      int64_t next = stepSoundOutput(output, clock());
      hold.lock();
      auto changed = [&] { return output.changes != seen || output.quit; };
      if (next == INT64_MAX) {
        output.changed.wait(hold, changed);
      } else {
        int64_t wait = next - clock();
        if (wait > 0) output.changed.wait_for(hold, std::chrono::nanoseconds(wait), changed);
      }
    }
  });
}

void stopSoundOutput(SoundOutput& output) {
  {
    std::lock_guard<std::mutex> hold(output.lock);
    output.quit = true;
    ++output.changes;
  }
  output.changed.notify_all();
  if (output.thread.joinable()) output.thread.join();
  if (output.state == OutputState::kOpen) output.backend->close();
  output.state = OutputState::kClosed;
}

bool soundOutputSilent(SoundOutput& output) {
  return output.silenceReported;
}
