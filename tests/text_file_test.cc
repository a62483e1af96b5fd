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
  EXPECT_EQ(readAll(dir,
                    "a\r\nb\rc\n\x1a"
                    "d",
                    128),
            (std::vector<std::string>{"a\n", "b\rc\n",
                                      "\x1a"
                                      "d"}));
  EXPECT_EQ(readAll(dir, "abcdef\r\n", 4), (std::vector<std::string>{"abc", "def", "\n"}));
  EXPECT_EQ(readAll(dir, "abc\r", 128), (std::vector<std::string>{"abc\r"}));
  EXPECT_TRUE(readAll(dir, "", 128).empty());
}

TEST(DataFiles, CaseInsensitiveFallbackPrefersTheExactName) {
  TempDir dir;
  dir.write("Demo.AVI", "x");
  EXPECT_EQ(resolveInDirectory(dir.path(), "demo.avi"), dir.file("Demo.AVI"));
  dir.write("demo.avi", "y");
  EXPECT_EQ(resolveInDirectory(dir.path(), "demo.avi"), dir.file("demo.avi"));
  EXPECT_EQ(resolveInDirectory(dir.path(), "none.avi"), dir.file("none.avi"));
  EXPECT_EQ(openInDirectory(dir.path(), "NONE.AVI", "rb"), nullptr);
}

// Sets an environment variable for the life of the object and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (hadOld_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool hadOld_ = false;
  std::string old_;
};

TEST(DataFiles, InstallDirectoryFollowsXdg) {
  {
    ScopedEnv data("XDG_DATA_HOME", "/some/data");
    EXPECT_EQ(defaultInstallDirectory(), "/some/data/qvk");
  }
  ScopedEnv data("XDG_DATA_HOME", nullptr);
  ScopedEnv home("HOME", "/home/player");
  EXPECT_EQ(defaultInstallDirectory(), "/home/player/.local/share/qvk");
}

TEST(DataFiles, NamesWithADirectoryPartAreRefused) {
  TempDir dir;
  dir.write("a.txt", "x");
  EXPECT_EQ(openInDirectory(dir.path() + "/sub", "../a.txt", "rb"), nullptr);
  FILE* file = openInDirectory(dir.path(), "A.TXT", "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}
