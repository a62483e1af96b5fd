// The window's commands, one at a time: what arrives inside a command's nested loop is held and
// runs right after it, in the order it came; the attract mode's look does not wait its turn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

std::vector<std::string> ran;

void note(const char* what) {
  ran.push_back(what);
}

// New waits a second for its sound; the player presses a key and clicks the close button
// meanwhile. The key's own wait holds a focus change, which comes after the close button that
// was held before it.
TEST(Commands, HeldInsideACommandRunAfterItInTheOrderTheyCame) {
  ran.clear();
  runCommand([] {
    note("New");
    runCommand([] {
      note("key");
      runCommand([] { note("focus"); });
      note("key done");
    });
    runCommand([] { note("close"); });
    EXPECT_FALSE(runCommandIfIdle([] { note("attract"); }));
    note("New done");
  });
  EXPECT_EQ(ran,
            (std::vector<std::string>{"New", "New done", "key", "key done", "close", "focus"}));

  // Nothing runs now: the attract mode's look starts its tick at once.
  EXPECT_TRUE(runCommandIfIdle([] {
    note("attract");
    EXPECT_FALSE(runCommandIfIdle([] { note("second look"); }));
  }));
  EXPECT_EQ(ran.back(), "attract");
}

}  // namespace
