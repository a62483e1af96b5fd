// Timing between the files. The player judges a row while currentFrame lies from its trigger
// frame + 12 to + 24, whatever clip is open; a clip that runs that long is judged as a scene.
// It passes a table's end row only once currentFrame is past the last row's window, so a scene
// must run on beyond it, and the credits and the demo, which play over a scene's table, must
// stop short of it. A replay starts at a checkpoint with currentFrame 12 frames ahead of the
// picture, so a checkpoint belongs between windows, at least a second before the next.
#include <algorithm>

#include "qvkcheck.h"

constexpr int kEndMargin = 6;  // frames a scene runs on after the row advance passes its end

static const SceneInfo* findScene(const std::vector<SceneInfo>& scenes, const std::string& base) {
  for (const SceneInfo& scene : scenes)
    if (scene.base == base && !scene.rows.empty()) return &scene;
  return nullptr;
}

static int clipFrames(const std::map<std::string, ClipInfo>& clips, const std::string& name) {
  auto at = clips.find(name);
  return at == clips.end() ? -1 : at->second.frames;
}

static std::string frameText(int64_t frame) {
  return "frame " + std::to_string(frame);
}

static void checkSceneEnd(const SceneInfo& scene) {
  if (scene.rows.empty() || scene.frames < 0) return;
  const RowInfo& last = scene.rows.back();
  int64_t needed = int64_t{last.window.closes} + kEndMargin;
  if (scene.frames < needed)
    problem(scene.base + ".txt", last.line,
            scene.base + ".avi has " + std::to_string(scene.frames) +
                " frames; a scene must run on at least " + std::to_string(needed - last.trigger) +
                " frames past its last move (" + frameText(last.trigger) +
                "), or the player may end it before that move's window has closed: make it at "
                "least " +
                std::to_string(needed) + " frames long");
}

// A clip that plays while row `first` of `scene` is current must end before its window.
static void checkNotJudged(const std::string& clip, int frames, const SceneInfo& scene) {
  const RowInfo& first = scene.rows.front();
  int64_t opens = first.window.opens;
  if (frames >= opens)
    warning(clip, 0,
            std::to_string(frames) +
                " frames: the player counts a clip's frames against the scene's moves, and from "
                "frame " +
                std::to_string(opens) + " of this clip it judges the move of " + scene.base +
                ".txt line " + std::to_string(first.line) + " (" + frameText(first.trigger) +
                ", plus 12); keep the clip under " + std::to_string(opens) + " frames");
}

static void checkOutcomeClips(const std::vector<SceneInfo>& scenes,
                              const std::map<std::string, ClipInfo>& clips) {
  for (const SceneInfo& scene : scenes) {
    if (scene.rows.empty()) continue;
    std::vector<std::string> seen;
    for (const RowInfo& row : scene.rows)
      for (const std::string& clip : row.clips) {
        // A blank line names the scene itself, which is reported as a blank line.
        if (clip == kCorrectMoveClip || clip == scene.base + ".avi" ||
            std::find(seen.begin(), seen.end(), clip) != seen.end())
          continue;
        seen.push_back(clip);
        int frames = clipFrames(clips, clip);
        if (frames > 0) checkNotJudged(clip, frames, scene);
      }
  }
  // A lives clip may follow a death in any scene.
  const SceneInfo* earliest = nullptr;
  for (const SceneInfo& scene : scenes)
    if (!scene.rows.empty() && (!earliest || scene.rows[0].trigger < earliest->rows[0].trigger))
      earliest = &scene;
  if (!earliest) return;
  for (int lives = kMostLivesShown; lives >= 1; --lives) {
    const char* clip = livesClip(lives);
    int frames = clipFrames(clips, clip);
    if (frames > 0) checkNotJudged(clip, frames, *earliest);
  }
}

// The credits play over the first scene's table, the demo over the start scene's.
static void checkUnjudgedLength(const std::string& clip, int frames, const SceneInfo& scene,
                                const std::string& consequence) {
  const RowInfo& last = scene.rows.back();
  int64_t passes = last.window.closes;
  if (frames > passes)
    warning(clip, 0,
            std::to_string(frames) + " frames: it plays over the moves of " + scene.base +
                ".txt, and past frame " + std::to_string(passes) + " (its last move, line " +
                std::to_string(last.line) + ", " + frameText(last.trigger) + ", plus 24) " +
                consequence + "; keep it to " + std::to_string(passes) + " frames");
}

static void checkCheckpoints(const SceneInfo& scene) {
  if (scene.rows.empty() || scene.checkpoints.empty()) return;
  const std::string file = scene.base + ".hot";
  for (size_t i = 0; i + 1 < scene.checkpoints.size(); ++i) {  // the last one closes the list
    const CheckpointInfo& cp = scene.checkpoints[i];
    for (const RowInfo& row : scene.rows) {
      int64_t opens = row.window.opens, closes = row.window.closes;
      if (cp.frame >= opens && cp.frame <= closes) {
        warning(file, cp.line,
                "checkpoint " + std::to_string(cp.frame) +
                    " is passed (a second before the picture gets there) while the window of " +
                    scene.base + ".txt line " + std::to_string(row.line) + " (" +
                    frameText(row.trigger) +
                    ") is open, so a death there replays without that "
                    "move; put the checkpoint at least 25 frames after the move");
        break;
      }
      if (opens > cp.frame) {  // the row a replay from here starts with
        if (row.trigger < cp.frame)
          warning(file, cp.line,
                  "a replay from checkpoint " + std::to_string(cp.frame) +
                      " starts after the window of " + scene.base + ".txt line " +
                      std::to_string(row.line) + " (" + frameText(row.trigger) +
                      ") has opened, and misses part of it; put the checkpoint at or before "
                      "the move's frame");
        break;
      }
    }
  }
}

void checkTiming(const std::vector<SceneInfo>& scenes, const std::map<std::string, ClipInfo>& clips,
                 const std::string& startBase) {
  for (const SceneInfo& scene : scenes) checkSceneEnd(scene);
  checkOutcomeClips(scenes, clips);
  if (const SceneInfo* first = findScene(scenes, baseOf(kFirstScene))) {
    int frames = clipFrames(clips, kCreditsClip);
    if (frames > 0)
      checkUnjudgedLength(kCreditsClip, frames, *first,
                          "the credits start again instead of ending the game");
  }
  if (const SceneInfo* start = findScene(scenes, startBase)) {
    int frames = clipFrames(clips, kDemoClip);
    if (frames > 0)
      checkUnjudgedLength(kDemoClip, frames, *start,
                          "the demo goes on with the scene instead of ending");
  }
  for (const SceneInfo& scene : scenes) checkCheckpoints(scene);
}
