// qvksim's script: one command per line, '#' starts a comment.
#include <cctype>
#include <fstream>
#include <sstream>

#include "game/game.h"
#include "input/input.h"
#include "qvksim.h"

static bool keyCode(const std::string& name, uint32_t* key) {
  static const struct {
    const char* name;
    uint32_t key;
  } kKeys[] = {{"up", kKeyUp},       {"down", kKeyDown},   {"left", kKeyLeft},
               {"right", kKeyRight}, {"space", kKeySpace}, {"kp8", kKeyNumpad8},
               {"kp2", kKeyNumpad2}, {"kp4", kKeyNumpad4}, {"kp6", kKeyNumpad6},
               {"f5", kKeyF5},       {"f6", kKeyF6},       {"esc", kKeyEscape}};
  for (const auto& entry : kKeys) {
    if (name == entry.name) {
      *key = entry.key;
      return true;
    }
  }
  // A letter is its own virtual-key code, the upper-case character.
  if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) {
    *key = static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
    return true;
  }
  return false;
}

static bool parseNumber(const std::string& word, int64_t low, int64_t high, int64_t* value) {
  if (word.empty()) return false;
  size_t used = 0;
  try {
    *value = std::stoll(word, &used);
  } catch (...) {
    return false;
  }
  return used == word.size() && *value >= low && *value <= high;
}

static bool parseLine(const std::vector<std::string>& words, ScriptCommand* command) {
  const std::string& verb = words[0];
  size_t args = words.size() - 1;
  static const struct {
    const char* name;
    int id;
  } kMenu[] = {{"new", kCommandNew},           {"load", kCommandLoad},
               {"save", kCommandSave},         {"stop", kCommandStop},
               {"windowed", kCommandWindowed}, {"fullscreen", kCommandFullScreen}};
  for (const auto& entry : kMenu) {
    if (verb == entry.name) {
      command->kind = ScriptCommand::kCommand;
      command->commandId = entry.id;
      command->name = verb;
      return args == 0;
    }
  }
  if (verb == "attract") {
    command->kind = ScriptCommand::kAttract;
    return args == 0;
  }
  if (verb == "key") {
    command->kind = ScriptCommand::kKey;
    return args == 1 && keyCode(words[1], &command->virtualKey);
  }
  if (verb == "joy") {
    command->kind = ScriptCommand::kJoystick;
    if (args == 1 && words[1] == "none") return true;
    int64_t x, y, buttons;
    if (args != 3 || !parseNumber(words[1], 0, UINT32_MAX, &x) ||
        !parseNumber(words[2], 0, UINT32_MAX, &y) ||
        !parseNumber(words[3], 0, UINT32_MAX, &buttons))
      return false;
    command->joystickPresent = true;
    command->x = static_cast<uint32_t>(x);
    command->y = static_cast<uint32_t>(y);
    command->buttons = static_cast<uint32_t>(buttons);
    return true;
  }
  if (verb == "focus") {
    command->kind = ScriptCommand::kFocus;
    command->focusGained = args == 1 && words[1] == "gained";
    return args == 1 && (words[1] == "gained" || words[1] == "lost");
  }
  if (verb == "frames") {
    command->kind = ScriptCommand::kFrames;
    return args == 1 && parseNumber(words[1], 0, 100000000, &command->count);
  }
  if (verb == "until") {
    command->kind = ScriptCommand::kUntil;
    command->name = args >= 1 ? words[1] : "";
    return args == 2 && parseNumber(words[2], INT32_MIN, INT32_MAX, &command->count);
  }
  if (verb == "end") {
    command->kind = ScriptCommand::kEnd;
    return args == 0;
  }
  return false;
}

bool parseScript(const std::string& path, std::vector<ScriptCommand>* script, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read script " + path;
    return false;
  }
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (size_t hash = text.find('#'); hash != std::string::npos) text.erase(hash);
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.empty()) continue;
    ScriptCommand command{};
    command.line = number;
    if (!parseLine(words, &command)) {
      *error = path + ":" + std::to_string(number) + ": cannot understand \"" + text + "\"";
      return false;
    }
    script->push_back(command);
  }
  return true;
}
