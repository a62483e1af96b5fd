// Installing the members of a checked patch: each file replaced whole, names that differ only in
// case replaced too, the running extractor's own file and the saved game never touched, nothing
// written when the install cannot go through.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "patch_test_support.h"

namespace {

const std::vector<ZipMember> kUpdate = {member("QVKAVI.EXE", "new program"),
                                        member("PATCH.BAT", "@echo off\r\n"),
                                        member("SEQ01.TXT", "new moves")};

mode_t modeOf(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

}  // namespace

// Every member is written under its name, programs runnable; an old file whose name differs
// only in case is replaced, and other files are kept.
TEST(InstallMembers, ReplacesFilesOfTheSameNameInAnyCase) {
  TempDir target;
  target.write("seq01.txt", "old moves");
  target.write("Patch.Bat", "old batch");
  target.write("QVKAVI.EXE", "old program");
  target.write("seq01.hot", "kept");
  std::string error;
  ASSERT_TRUE(installMembers(target.path(), kUpdate, "", &error)) << error;
  EXPECT_EQ(target.names(),
            (std::vector<std::string>{"PATCH.BAT", "QVKAVI.EXE", "SEQ01.TXT", "seq01.hot"}));
  EXPECT_EQ(target.read("SEQ01.TXT"), "new moves");
  EXPECT_EQ(target.read("QVKAVI.EXE"), "new program");
  EXPECT_EQ(target.read("seq01.hot"), "kept");
  EXPECT_TRUE(modeOf(target.file("QVKAVI.EXE")) & S_IXUSR);
  EXPECT_FALSE(modeOf(target.file("SEQ01.TXT")) & S_IXUSR);
}

// A running program keeps its file; a link planted in the directory is replaced, never
// followed.
TEST(InstallMembers, OldFilesAreReplacedNotWrittenInto) {
  TempDir target, elsewhere;
  target.write("QVKAVI.EXE", "old program");
  ASSERT_EQ(link(target.file("QVKAVI.EXE").c_str(), elsewhere.file("running").c_str()), 0);
  elsewhere.write("victim", "untouched");
  ASSERT_EQ(symlink(elsewhere.file("victim").c_str(), target.file("SEQ01.TXT").c_str()), 0);
  std::string error;
  ASSERT_TRUE(installMembers(target.path(), kUpdate, "", &error)) << error;
  EXPECT_EQ(elsewhere.read("running"), "old program");
  EXPECT_EQ(elsewhere.read("victim"), "untouched");
  EXPECT_TRUE(S_ISREG(modeOf(target.file("SEQ01.TXT"))));
  EXPECT_EQ(target.read("SEQ01.TXT"), "new moves");
}

// A target that is missing or no directory, or a directory in a member's way: reported, and
// nothing is written.
TEST(InstallMembers, ADirectoryInTheWayLeavesEverythingAsItWas) {
  TempDir target;
  std::string error;
  EXPECT_FALSE(installMembers(target.file("missing"), kUpdate, "", &error));
  EXPECT_NE(error.find("cannot use"), std::string::npos) << error;
  target.write("seq01.txt", "old moves");
  EXPECT_FALSE(installMembers(target.file("seq01.txt"), kUpdate, "", &error));
  EXPECT_EQ(error, target.file("seq01.txt") + " is not a directory");

  ASSERT_EQ(mkdir(target.file("patch.bat").c_str(), 0755), 0);
  EXPECT_FALSE(installMembers(target.path(), kUpdate, "", &error));
  EXPECT_EQ(error, target.file("patch.bat") + " is a directory");
  EXPECT_EQ(target.names(), (std::vector<std::string>{"patch.bat", "seq01.txt"}));
  EXPECT_EQ(target.read("seq01.txt"), "old moves");
}

// Run as qvp in the directory it unpacks into, the extractor neither replaces its own file with
// a member of that name nor removes it as another case of one; it knows its file by a link, as
// /proc/self/exe.
TEST(InstallMembers, TheRunningExtractorsOwnFileIsNeverReplacedOrRemoved) {
  TempDir target, elsewhere;
  target.write("qvp", "extractor");
  target.write("seq01.txt", "old moves");
  const std::string self = elsewhere.file("exe");
  ASSERT_EQ(symlink(target.file("qvp").c_str(), self.c_str()), 0);
  for (const std::string name : {"qvp", "QVP"}) {
    std::vector<ZipMember> members = kUpdate;
    members.push_back(member(name, "evil"));
    std::string error;
    EXPECT_FALSE(installMembers(target.path(), members, self, &error)) << name;
    EXPECT_EQ(error,
              "member \"" + name + "\" would replace the running extractor " + target.file("qvp"));
    EXPECT_EQ(target.names(), (std::vector<std::string>{"qvp", "seq01.txt"}));
    EXPECT_EQ(target.read("qvp"), "extractor");
  }
  std::string error;
  ASSERT_TRUE(installMembers(target.path(), kUpdate, self, &error)) << error;
  EXPECT_EQ(target.names(),
            (std::vector<std::string>{"PATCH.BAT", "QVKAVI.EXE", "SEQ01.TXT", "qvp"}));
  EXPECT_EQ(target.read("qvp"), "extractor");
}

// The player's saved game and the temporary files its saves go through are never written,
// replaced or removed as another case of a member: an archive holding one is refused before
// anything is written. A name that only begins like them is another file.
TEST(InstallMembers, TheSavedGameIsNeverReplacedOrRemoved) {
  TempDir target;
  target.write("qvk.sav", "saved game");
  for (const std::string name : {"QVK.SAV", "qvk.sav", "qvk.sav.new", "Qvk.Sav.x7Yz0q"}) {
    std::vector<ZipMember> members = kUpdate;
    members.push_back(member(name, "evil"));
    std::string error;
    EXPECT_FALSE(installMembers(target.path(), members, "", &error)) << name;
    EXPECT_EQ(error, "member \"" + name + "\" would replace the player's saved game");
    EXPECT_EQ(target.names(), std::vector<std::string>{"qvk.sav"});
  }
  std::vector<ZipMember> members = kUpdate;
  members.push_back(member("QVK.SAVE", "a file of the update"));
  std::string error;
  ASSERT_TRUE(installMembers(target.path(), members, "", &error)) << error;
  EXPECT_EQ(target.read("qvk.sav"), "saved game");
  EXPECT_EQ(target.read("QVK.SAVE"), "a file of the update");
}
