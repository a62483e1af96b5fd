// The desktop program's settings file: written whole, read back, and never trusted.
#include <sys/stat.h>

#include <filesystem>

#include "test_support.h"

namespace {

Settings allChanged() {
  Settings settings;
  settings.scale = 3;
  settings.keepAspect = true;
  settings.fullScreen = true;
  settings.moveGuide = true;
  return settings;
}

std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename());
  return names;
}

}  // namespace

// What is written comes back; each choice is its own line, so one damaged line costs only its
// own choice, and whatever cannot be taken is the default.
TEST(SettingsFile, ChoicesComeBackAndDamageGivesDefaults) {
  EXPECT_EQ(parseSettings(formatSettings(allChanged())), allChanged());
  EXPECT_EQ(parseSettings(formatSettings(Settings{})), Settings{});
  EXPECT_EQ(parseSettings(""), Settings{});
  EXPECT_EQ(parseSettings(std::string("\x7f"
                                      "ELF\0\x01size=\xff\n=\n==",
                                      14)),
            Settings{});

  Settings wanted;
  wanted.scale = 2;
  wanted.moveGuide = true;
  EXPECT_EQ(parseSettings("size=2\r\nmove-guide=yes\r\n"), wanted);  // DOS line ends
  EXPECT_EQ(parseSettings("size=2\nkeep-4:3=maybe\nfull-screen=\nmove-guide=yes"), wanted);
  EXPECT_EQ(parseSettings("size = 3\nsize=2\nSize=3\nmove-guide=yes\nsound=off"), wanted);
  for (const char* size : {"size=0", "size=4", "size=-1", "size=2x", "size=", "size=99999999999"})
    EXPECT_EQ(parseSettings(size).scale, 1) << size;
}

// Missing, a directory, a named pipe (never waited on), oversized: the defaults.
TEST(SettingsFile, UnreadableFilesGiveDefaults) {
  TempDir dir;
  EXPECT_EQ(readSettings(dir.file("none")), Settings{});
  mkdir(dir.file("folder").c_str(), 0755);
  EXPECT_EQ(readSettings(dir.file("folder")), Settings{});
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0644), 0);
  EXPECT_EQ(readSettings(dir.file("pipe")), Settings{});
  dir.write("big", "size=3\n" + std::string(5000, '#'));
  EXPECT_EQ(readSettings(dir.file("big")), Settings{});
  dir.write("fits", "size=3\n" + std::string(4000, '#'));
  EXPECT_EQ(readSettings(dir.file("fits")).scale, 3);
}

// A write makes the directory, replaces the file whole and leaves no temporary file behind; a
// write that cannot be made says why and leaves the old file alone.
TEST(SettingsFile, WritesReplaceTheFileWholeOrSayWhy) {
  TempDir dir;
  std::string path = dir.file("config/qvkavi/settings");
  std::string reason;
  ASSERT_TRUE(writeSettings(path, allChanged(), &reason)) << reason;
  EXPECT_EQ(readSettings(path), allChanged());
  ASSERT_TRUE(writeSettings(path, Settings{}, &reason)) << reason;
  EXPECT_EQ(readSettings(path), Settings{});
  EXPECT_EQ(namesIn(dir.file("config/qvkavi")), std::vector<std::string>{"settings"});

  dir.write("file", "x");
  EXPECT_FALSE(writeSettings(dir.file("file/qvkavi/settings"), allChanged(), &reason));
  EXPECT_EQ(reason, "Not a directory");
  mkdir(dir.file("taken").c_str(), 0755);
  mkdir(dir.file("taken/settings").c_str(), 0755);
  EXPECT_FALSE(writeSettings(dir.file("taken/settings"), allChanged(), &reason));
  EXPECT_EQ(reason, "Is a directory");
  EXPECT_EQ(namesIn(dir.file("taken")), std::vector<std::string>{"settings"});  // no temporary
}
