// The window thread's waits, on GLib's main loop without a display: what reaches the window
// during a command's wait comes as a command of its own, and runs right after the waiting
// command, in the order it came, before what comes after the wait.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/shell.h"

namespace {

std::vector<std::string> happened;

// Work reaching the window, as a key or a menu command does.
void arrive(const char* name) {
  runCommand([name] { happened.push_back(name); });
}

// Adds fn to the window's loop at priority, as events from outside come.
void comes(int priority, void (*fn)()) {
  g_idle_add_full(
      priority,
      [](gpointer f) -> gboolean {
        reinterpret_cast<void (*)()>(f)();
        return G_SOURCE_REMOVE;
      },
      reinterpret_cast<gpointer>(fn), nullptr);
}

TEST(WindowWait, WorkRunsAfterTheWaitingCommandInTheOrderItCame) {
  static GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  comes(G_PRIORITY_DEFAULT, [] {
    runCommand([] {
      happened.push_back("command");
      comes(G_PRIORITY_DEFAULT, [] { arrive("during the wait"); });
      comes(G_PRIORITY_DEFAULT, [] { arrive("also during the wait"); });
      waitOnUiThread(1);
      happened.push_back("command done");
      comes(G_PRIORITY_DEFAULT, [] { arrive("after the wait"); });
      comes(G_PRIORITY_LOW, [] { g_main_loop_quit(loop); });
    });
  });
  g_main_loop_run(loop);
  EXPECT_EQ(happened, (std::vector<std::string>{"command", "command done", "during the wait",
                                                "also during the wait", "after the wait"}));
}

}  // namespace
