// The entry of qvkavi: the command line, the desktop platform, the main window, the start-up
// and shutdown order, and the main loop.
#include "shell/shell.h"

namespace {

// The platform of the desktop: the real directories, window, joystick, timers, sound device,
// AVI reader and frame decoder, and waits that take real time.
void setUpPlatform(const std::string& gameDirectory) {
  platform.directories.install = defaultInstallDirectory();
  platform.directories.current = gameDirectory;
  platform.window = shellWindow();
  platform.joystick = sdlJoystick();
  platform.timers = createTimerService();
  platform.createSoundDevice = createSdlSoundDevice;
  platform.soundSilenceChanged = updateStatus;
  platform.media = aviMediaLibrary();
  platform.drawer = decodingFrameDrawer();
  platform.realTimeWaits = true;
}

// Whether the window has the keyboard focus as the focus handlers last heard it. The window
// takes the focus when it is placed, before the game starts up; the window system's own news
// of that arrives later and must not run the focus gain a second time, which would start the
// stream buffer while nothing plays.
bool focusHeld = false;

void changeFocus(bool gained) {
  // A change held until the window had closed changes nothing.
  if (gained == focusHeld || !shell.mainWindow) return;
  focusHeld = gained;
  if (gained)
    onFocusGained();
  else
    onFocusLost();
}

gboolean onFocusChange(GtkWidget*, GdkEventFocus* event, gpointer) {
  bool gained = event->in != 0;
  runCommand([gained] { changeFocus(gained); });
  return FALSE;
}

// The close button, as a command: while another command waits, the window closes when it is
// done. Its destruction shuts the game down inside this command.
void closeMainWindow() {
  if (shell.mainWindow) gtk_widget_destroy(shell.mainWindow);
}

gboolean onDeleteEvent(GtkWidget*, GdkEvent*, gpointer) {
  runCommand(closeMainWindow);
  return TRUE;
}

void onCreate(GtkWidget* window) {
  placeWindowed();
  focusHeld = true;
  onFocusGained();
  g_signal_connect(window, "focus-in-event", G_CALLBACK(onFocusChange), nullptr);
  g_signal_connect(window, "focus-out-event", G_CALLBACK(onFocusChange), nullptr);

  openDrawingResources();
  runCommand([] {
    startUp();
    if (shell.settings.fullScreen) restoreFullScreen();
  });
}

void onDestroy(GtkWidget* window, gpointer) {
  g_signal_handlers_disconnect_by_func(window, reinterpret_cast<gpointer>(onFocusChange), nullptr);
  shutDown();
  closeDrawingResources();
  releaseKeyboardHook();
  shell.mainWindow = nullptr;
  shell.menuBar = nullptr;
  shell.clientArea = nullptr;
  gtk_main_quit();
}

}  // namespace

int main(int argc, char** argv) {
  g_set_prgname("qvkavi");
  // Everything is drawn with cairo; without this GTK loads the OpenGL driver only to choose a
  // visual, which costs some 50 MB and a part of the start-up.
  g_setenv("GDK_GL", "disable", FALSE);
  // SDL would turn SIGINT and SIGTERM into events of a queue that nobody reads, and the program
  // could then not be ended by a signal.
  g_setenv("SDL_NO_SIGNAL_HANDLERS", "1", TRUE);
  std::string gameDirectory;
  int exitStatus = 0;
  if (!readCommandLine(&argc, &argv, &gameDirectory, &exitStatus)) return exitStatus;
  if (!gtk_init_check(&argc, &argv)) return 0;
  shell.uiThread = std::this_thread::get_id();
  setUpPlatform(gameDirectory.empty() ? std::string(1, '.') : gameDirectory);
  if (gameDirectory.empty()) findGame(sampleGamePlaces());
  loadDisplayChoices();

  GtkWidget* window = createMainWindow();
  if (!window) return 0;
  setUpKeyboardHook();
  g_signal_connect(window, "delete-event", G_CALLBACK(onDeleteEvent), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(onDestroy), nullptr);
  onCreate(window);

  gtk_main();
  return 0;
}
