// Waits on the window thread. The one-second wait of an open runs on this thread under New, Load
// and the attract mode; the thread must not sleep through it, or the window would show a frozen
// menu and nothing would be painted. It runs the window's own loop instead, so the window is
// painted and a menu that was open closes at once. Everything else that reaches the window
// meanwhile (menu commands, keys, focus changes, work handed over by other threads, the close
// button) is held, as a message queue holds it, and runs after the waiting command in the order
// it came: no command starts in the middle of another, and no focus change plays the sound of a
// clip before its wait is over.
#include <deque>

#include "shell/shell.h"

namespace {

int waitDepth = 0;
std::deque<std::function<void()>> heldWork;
bool releasePending = false;

gboolean endWait(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_REMOVE;
}

// The held work runs from the window's main loop itself, never from a loop nested in some other
// handler (a message box's), so it never runs in the middle of one.
constexpr guint kRetryMs = 20;

gboolean releaseHeldWork(gpointer) {
  releasePending = false;
  if (waitDepth > 0) return G_SOURCE_REMOVE;  // the end of that wait releases it
  if (g_main_depth() > 1) {
    releasePending = true;
    g_timeout_add(kRetryMs, releaseHeldWork, nullptr);
    return G_SOURCE_REMOVE;
  }
  // Work may wait in turn; what arrives then queues behind the rest.
  while (waitDepth == 0 && !heldWork.empty()) {
    // A window that has been closed takes no more messages.
    if (!shell.mainWindow) {
      heldWork.clear();
      break;
    }
    std::function<void()> work = std::move(heldWork.front());
    heldWork.pop_front();
    work();
  }
  return G_SOURCE_REMOVE;
}

}  // namespace

bool holdWhileWaiting(std::function<void()> work) {
  // Once something is held, later work queues behind it until all of it has run.
  if (waitDepth == 0 && heldWork.empty()) return false;
  heldWork.push_back(std::move(work));
  return true;
}

void waitOnUiThread(uint32_t ms) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(ms, endWait, loop);
  ++waitDepth;
  g_main_loop_run(loop);
  --waitDepth;
  g_main_loop_unref(loop);
  if (waitDepth == 0 && !heldWork.empty() && !releasePending) {
    releasePending = true;
    g_idle_add(releaseHeldWork, nullptr);
  }
}
