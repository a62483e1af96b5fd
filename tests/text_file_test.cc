#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "test_support.h"

static std::vector<std::string> readAll(const TempDir& dir, const std::string& bytes, int size) {
  dir.write("f.txt", bytes);
  FILE* file = std::fopen(dir.file("f.txt").c_str(), "rb");
  std::vector<std::string> lines;
  std::vector<char> buffer(size);
  while (readTextLine(file, buffer.data(), size)) lines.emplace_back(buffer.data());
  std::fclose(file);
  return lines;
}

TEST(TextFile, CrLfIsOneLineEndAndOtherBytesAreData) {
  TempDir dir;
  // \032 is 0x1A, the old end-of-file mark: here a byte like any other.
  EXPECT_EQ(readAll(dir, "a\r\nb\rc\n\032d", 128),
            (std::vector<std::string>{"a\n", "b\rc\n", "\032d"}));
  EXPECT_EQ(readAll(dir, "abcdef\r\n", 4), (std::vector<std::string>{"abc", "def", "\n"}));
  EXPECT_EQ(readAll(dir, "abc\r", 128), (std::vector<std::string>{"abc\r"}));
  EXPECT_TRUE(readAll(dir, "", 128).empty());
}

// Puts an environment variable back, at the end of its life, as it was at the start.
struct KeptEnv {
  explicit KeptEnv(const char* variable) : name(variable) {
    if (const char* value = std::getenv(name)) old = value;
  }
  ~KeptEnv() {
    if (old) {
      setenv(name, old->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  const char* name;
  std::optional<std::string> old;
};

TEST(DataFiles, InstallDirectoryFollowsXdg) {
  KeptEnv data("XDG_DATA_HOME"), home("HOME");
  setenv("XDG_DATA_HOME", "/some/data", 1);
  EXPECT_EQ(defaultInstallDirectory(), "/some/data/qvk");
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(defaultInstallDirectory(), "/home/player/.local/share/qvk");
}

// A message names a file by its whole path, and the system's reason or the game's own.
TEST(DataFiles, FilesInMessagesHaveWholePathsAndReasons) {
  char* here = getcwd(nullptr, 0);
  std::string cwd = here;
  free(here);
  EXPECT_EQ(fileInMessage("./seq01.txt", ENOENT), cwd + "/seq01.txt: No such file or directory");
  EXPECT_EQ(fileInMessage(".", 0), cwd);
  EXPECT_EQ(fileInMessage("/g/seq01.avi", kDamagedFile),
            "/g/seq01.avi: damaged, or not in the form the game reads");
  EXPECT_EQ(fileInMessage("/g/seq01.avi", kNotPlainFile), "/g/seq01.avi: not a plain file");
}

TEST(DataFiles, SettingsFileFollowsXdgConfig) {
  KeptEnv config("XDG_CONFIG_HOME"), home("HOME");
  setenv("XDG_CONFIG_HOME", "/some/config", 1);
  EXPECT_EQ(defaultSettingsPath(), "/some/config/qvkavi/settings");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(defaultSettingsPath(), "/home/player/.config/qvkavi/settings");
}

// A name is looked up in its directory alone: the exact name first, then any case of it.
TEST(DataFiles, CaseInsensitiveFallbackPrefersTheExactNameAndRefusesDirectoryParts) {
  TempDir dir;
  dir.write("Demo.AVI", "x");
  EXPECT_EQ(resolveInDirectory(dir.path(), "demo.avi"), dir.file("Demo.AVI"));
  dir.write("demo.avi", "y");
  EXPECT_EQ(resolveInDirectory(dir.path(), "demo.avi"), dir.file("demo.avi"));
  EXPECT_EQ(resolveInDirectory(dir.path(), "none.avi"), dir.file("none.avi"));
  EXPECT_EQ(openInDirectory(dir.path(), "NONE.AVI", "rb"), nullptr);
  EXPECT_EQ(openInDirectory(dir.path() + "/sub", "../demo.avi", "rb"), nullptr);
  FILE* file = openInDirectory(dir.path(), "DEMO.AVI", "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}
