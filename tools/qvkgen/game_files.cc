// The game's text files, and the list of every file the game consists of.
#include <cstdio>

#include "qvkgen.h"

// One row per beat: the trigger frame, then the clip of no move, up, down, left, right and
// action. "00" is the correct move, tN takes the beat's object, dN is the death clip of the
// beat's hazard.
std::string moveFileText(const Scene& scene) {
  std::vector<int> objectBeats = scene.objectBeats();
  std::string text;
  for (int beat = 0; beat < scene.beats(); ++beat) {
    std::string death = "d" + std::to_string(scene.deathClipOf(beat) + 1);
    std::string tokens[1 + kMoves];
    tokens[0] = death;
    for (int m = 0; m < kMoves; ++m) {
      Move move = static_cast<Move>(m);
      if (move == scene.move(beat)) {
        tokens[1 + m] = "00";
      } else if (move == scene.object(beat)) {
        int t = 0;
        while (objectBeats[t] != beat) ++t;
        tokens[1 + m] = "t" + std::to_string(t + 1);
      } else {
        tokens[1 + m] = death;
      }
    }
    char line[128];
    std::snprintf(line, sizeof line, "%4d  %-4s %-4s %-4s %-4s %-4s %s\r\n", scene.trigger(beat),
                  tokens[0].c_str(), tokens[1].c_str(), tokens[2].c_str(), tokens[3].c_str(),
                  tokens[4].c_str(), tokens[5].c_str());
    text += line;
  }
  return text;
}

// The start frame, the checkpoints, and a last entry above every frame of the scene.
std::string hotspotFileText(const Scene& scene) {
  std::string text = "0\r\n";
  for (int frame : scene.checkpoints()) text += std::to_string(frame) + "\r\n";
  text += "9999\r\n";
  return text;
}

std::vector<GameFile> gameFiles(const std::vector<Scene>& scenes) {
  std::vector<GameFile> files;
  for (const Scene& scene : scenes) {
    const Scene* s = &scene;
    files.push_back({scene.base + ".txt", moveFileText(scene), nullptr});
    files.push_back({scene.base + ".hot", hotspotFileText(scene), nullptr});
    files.push_back({scene.base + ".avi", "", [s] { return renderScene(*s); }});
    for (int clip = 0; clip < scene.deathClips(); ++clip)
      files.push_back({scene.base + "d" + std::to_string(clip + 1) + ".avi", "",
                       [s, clip] { return renderDeathClip(*s, clip); }});
    for (int t = 0; t < static_cast<int>(scene.objectBeats().size()); ++t)
      files.push_back({scene.base + "t" + std::to_string(t + 1) + ".avi", "",
                       [s, t] { return renderObjectClip(*s, t); }});
  }
  for (int lives = 4; lives >= 1; --lives)
    files.push_back(
        {std::to_string(lives) + "lives.avi", "", [lives] { return renderLivesClip(lives); }});
  files.push_back({"cont.avi", "", renderContinueClip});
  files.push_back({"gameover.avi", "", renderGameOverClip});
  files.push_back({"missed.avi", "", renderMissedClip});
  files.push_back({"credits.avi", "", renderCreditsClip});
  files.push_back({"demo.avi", "", renderDemoClip});
  return files;
}
