// The window thread's waits, on GLib's main loop without a display (the wait queue needs no
// more of GTK): what reaches the window during a wait runs after the waiting command, in the
// order it came, and so does what comes after the wait while held work is still to run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/shell.h"

ShellState shell;  // the queue asks only whether the window still exists

namespace {

std::vector<std::string> happened;

// Work reaching the window, as a key or a menu command does: run now, or held.
void arrive(const char* name) {
  auto work = [name] { happened.push_back(name); };
  if (!holdWhileWaiting(work)) work();
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
  static int window;
  shell.mainWindow = reinterpret_cast<GtkWidget*>(&window);
  static GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  comes(G_PRIORITY_DEFAULT, [] {  // the command
    arrive("command");
    comes(G_PRIORITY_DEFAULT, [] { arrive("during the wait"); });
    waitOnUiThread(1);
    happened.push_back("command done");
    comes(G_PRIORITY_DEFAULT, [] { arrive("after the wait"); });
    comes(G_PRIORITY_LOW, [] { g_main_loop_quit(loop); });
  });
  g_main_loop_run(loop);
  EXPECT_EQ(happened, (std::vector<std::string>{"command", "command done", "during the wait",
                                                "after the wait"}));
  shell.mainWindow = nullptr;
}

}  // namespace
