// Waits on the window thread. The one-second wait of an open runs on this thread under New, Load
// and the attract mode; the thread must not sleep through it, or the window would show a frozen
// menu and nothing would be painted. It runs the window's own loop instead, so the window is
// painted and a menu that was open closes at once. Everything else that reaches the window
// meanwhile (menu commands, keys, focus changes, work handed over by other threads, the close
// button) comes as a command, and is held until the waiting command is done (runCommand): no
// command starts in the middle of another, and no focus change plays the sound of a clip before
// its wait is over.
#include "shell/shell.h"

static gboolean endWait(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_REMOVE;
}

void waitOnUiThread(uint32_t ms) {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(ms, endWait, loop);
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
}
