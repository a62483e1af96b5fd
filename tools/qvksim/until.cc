// An `until` that can never be met says so instead of playing on to the timeout. It can never
// be met when its clip is none the game can open, when the clip has played to its end without
// getting to the frame (a clip gets no further on any later play), or when the game is over and
// only the demo runs: once the attract timer has started the demo and the demo has ended
// without opening any other clip, every later demo does the same, and nothing else starts a
// game until the script's next line.
#include <strings.h>

#include "game/game.h"
#include "qvksim.h"

namespace {

struct Watch {
  bool active = false;
  std::string clip;
  int64_t frame = 0;
  int64_t reach = -1;            // the highest frame the clip was seen at between passes
  bool inDemo = false;           // a demo started by the attract timer is running
  bool demoOpenedOther = false;  // ... and has opened a clip of its own
  std::string never;             // why the until can never be met
};

Watch watch;

bool isClip(const char* name) {
  return strcasecmp(name, watch.clip.c_str()) == 0;
}

}  // namespace

bool clipIsAt(const std::string& clip, int64_t frame) {
  return playback.aviFile && strcasecmp(clip.c_str(), playback.openClipName) == 0 &&
         playback.currentFrame >= frame;
}

bool gameHasClip(const std::string& clip) {
  MediaFile* file = platform.media ? platform.media->open(clip.c_str()) : nullptr;
  if (file) platform.media->release(file);
  return file != nullptr;
}

void watchUntil(const std::string& clip, int64_t frame) {
  watch = Watch{};
  watch.active = true;
  watch.clip = clip;
  watch.frame = frame;
  untilSeesPass();
}

void stopWatchingUntil() {
  watch = Watch{};
}

void untilSeesPass() {
  if (watch.active && playback.aviFile && isClip(playback.openClipName))
    watch.reach = std::max<int64_t>(watch.reach, playback.currentFrame);
}

void untilSeesEvent(const char* line) {
  if (!watch.active || !watch.never.empty() || !line) return;
  std::string event = line;
  bool opens = event.rfind("open ", 0) == 0;
  // The open clip is about to be replaced or closed: did it play to its end?
  if ((opens || event == "close") && playback.aviFile && playback.sequenceEnded &&
      isClip(playback.openClipName) && watch.reach < watch.frame)
    watch.never = watch.clip + " played to its end and got no further than frame " +
                  std::to_string(watch.reach);
  if (opens && watch.inDemo && event.rfind(std::string("open ") + kDemoClip + " ", 0) != 0)
    watch.demoOpenedOther = true;
  if (event == "thread start") {
    watch.inDemo = game.demoActive;
    watch.demoOpenedOther = false;
  }
  if (event == "finish" && watch.inDemo && !watch.demoOpenedOther && !isClip(kDemoClip))
    watch.never = "the game is over, and only the demo plays, which never opens " + watch.clip;
  if (event == "finish") watch.inDemo = false;
}

const std::string& untilCanNeverBeMet() {
  return watch.never;
}
