#include "scenario_support.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "media/media.h"

static std::vector<std::string> recorded;
static std::vector<std::pair<std::string, int32_t>> livesAtOpens;
static int openCount = 0;  // clips opened so far; the last at frame openedAt
static int openedAt = 0;

static void recordEvent(const char* line) {
  if (!line) return;
  recorded.emplace_back(line);
  if (std::strncmp(line, "open ", 5) != 0) return;
  livesAtOpens.emplace_back(line + 5, game.lives);
  ++openCount;
  openedAt = std::atoi(std::strrchr(line, ' ') + 1);
}

std::string clockName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "SoundClock" : "TimerClock";
}

void ScenarioTest::SetUp() {
  resetGameState();
  recorded.clear();
  livesAtOpens.clear();
  openCount = 0;
  session = std::make_unique<HeadlessSession>();
  session->soundClock = soundClock();
  traceHook = recordEvent;
}

void ScenarioTest::TearDown() {
  closeHeadlessSession(*session);
  traceHook = nullptr;
  forceCoins("");
}

void ScenarioTest::addScene(const std::string& base, const std::vector<std::string>& moves,
                            const std::vector<int>& checkpoints, int frames) {
  std::string text;
  for (const std::string& line : moves) text += line + "\r\n";
  gameDir.write(base + ".txt", text);
  movesOf[base + ".avi"] = readMoves(text);
  text.clear();
  for (int frame : checkpoints) text += std::to_string(frame) + "\r\n";
  gameDir.write(base + ".hot", text);
  removeClip(base + ".avi");
  addClip(base + ".avi", frames);
}

void ScenarioTest::removeClip(const std::string& name) {
  auto& clips = session->virtualMedia.clips;
  clips.erase(std::remove_if(clips.begin(), clips.end(),
                             [&](const VirtualMediaLibrary::Clip& c) { return c.name == name; }),
              clips.end());
}

void ScenarioTest::addStandardClips() {
  for (const char* name : {"4lives.avi", "3lives.avi", "2lives.avi", "1lives.avi", "cont.avi",
                           "gameover.avi", "missed.avi"})
    addClip(name, 20);
  addClip("credits.avi", 30);
  addClip("demo.avi", 30);
}

void ScenarioTest::start() {
  openHeadlessSession(*session, gameDir.path(), installDir.path(), nullptr);
}

void ScenarioTest::pass() {
  runHeadlessPass(*session);
}

void ScenarioTest::runFrames(int frames) {
  for (int i = 0; i < frames * 10; ++i) pass();
}

static constexpr int kPatience = 10 * 12 * 3600;  // an hour of game time

void ScenarioTest::runUntil(const std::string& name, int frame) {
  for (int i = 0; i < kPatience; ++i) {
    if (at(name, frame)) return;
    pass();
  }
  FAIL() << "never reached " << name << " " << frame << "; open " << clip();
}

void ScenarioTest::runUntilOpened(const std::string& name) {
  size_t seen = recorded.size();
  for (int i = 0; i < kPatience; ++i) {
    for (size_t e = seen; e < recorded.size(); ++e)
      if (recorded[e].rfind("open " + name + " ", 0) == 0) return;
    seen = recorded.size();
    pass();
  }
  FAIL() << name << " never opened";
}

void ScenarioTest::runToTheEnd() {
  for (int i = 0; i < kPatience && virtualGameThreadRunning(); ++i) pass();
  ASSERT_FALSE(virtualGameThreadRunning());
}

std::vector<MoveLine> readMoves(const std::string& moveFileText) {
  // The keys of the moves up, down, left, right and action, the tokens after the miss clip's.
  static const uint32_t kKeys[] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeySpace};
  std::vector<MoveLine> moves;
  std::istringstream lines(moveFileText);
  std::string line, miss;
  while (std::getline(lines, line)) {
    std::istringstream items(line);
    MoveLine move;
    if (!(items >> move.trigger >> miss)) continue;
    std::string token;
    for (uint32_t key : kKeys) {
      if (!(items >> token)) break;
      if (token == "00") move.correctKey = key;
      if (token[0] == 't') move.objectKey = key;
    }
    moves.push_back(move);
  }
  return moves;
}

void ScenarioTest::playPerfectly(const std::function<bool()>& done) {
  for (int i = 0; i < kPatience && virtualGameThreadRunning() && !done(); ++i) {
    static const std::vector<MoveLine> kNoMoves;
    auto scene = movesOf.find(clip());
    const std::vector<MoveLine>& moves = scene == movesOf.end() ? kNoMoves : scene->second;
    int frame = playback.currentFrame;
    for (const MoveLine& move : moves) {
      if (move.opens() <= openedAt || frame < move.opens() || frame > move.closes()) continue;
      if (pressedOpen == openCount && pressedTrigger == move.trigger) break;
      std::string object = clip() + " " + std::to_string(move.trigger);
      bool take = takeObjects && move.objectKey && objectsTaken.insert(object).second;
      press(take ? move.objectKey : move.correctKey);
      pressedOpen = openCount;
      pressedTrigger = move.trigger;
      break;
    }
    pass();
  }
}

bool ScenarioTest::opened(const std::string& event) const {
  return sawEvent("open " + event);
}

int ScenarioTest::livesAtOpen(const std::string& name) const {
  for (auto it = livesAtOpens.rbegin(); it != livesAtOpens.rend(); ++it)
    if (it->first.rfind(name + " ", 0) == 0) return it->second;
  return -99;
}

std::string textOf(const SharedName& name) {
  char text[kClipNameSize];
  readName(name, text);
  return text;
}

const std::vector<std::string>& ScenarioTest::events() const {
  return recorded;
}

std::vector<std::string> ScenarioTest::opens() const {
  std::vector<std::string> out;
  for (const std::string& line : recorded)
    if (line.rfind("open ", 0) == 0) out.push_back(line.substr(5));
  return out;
}

bool ScenarioTest::sawEvent(const std::string& line) const {
  for (const std::string& e : recorded)
    if (e == line) return true;
  return false;
}

void ScenarioTest::clearEvents() {
  recorded.clear();
}
