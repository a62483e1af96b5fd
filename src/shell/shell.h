// The desktop shell: the one folder that knows GTK. The entry, the main window with its menu,
// the start-up and shutdown order, the two display modes, painting, the About box, and the
// key and focus events that feed the keyboard hook.
//
// Contents
//   Shell state        the main window's widgets and drawing resources
//   Command line       qvkavi [GAME_DIR]
//   Main window        creation, commands, shutdown, the window seam of the platform
//   Waits              the window thread's waits, during which the window stays alive
//   Display            display modes, client size, painting, the newest picture
//   Display choices    the picture's size, Keep 4:3, the move guide, kept between runs
//   About box
//   Keys               GDK keys as virtual-key codes; the hook as key handlers
//
// Threads: every GTK call is made on the user-interface thread. Calls of the window seam from
// other threads are handed to it with an idle callback.
#pragma once

#include <gtk/gtk.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/game.h"
#include "platform/dib_picture.h"

// ---------------------------------------------------------------------------------------------
// Shell state

constexpr const char* kWindowTitle = "Quarnvale II";
constexpr int kWindowedX = 100;
constexpr int kWindowedY = 100;
constexpr int kStopSettleMs = 200;  // Stop waits this long before it leaves full screen

struct ShellState {
  // Widgets: none before creation and after destruction.
  GtkWidget* mainWindow = nullptr;
  GtkWidget* menuBar = nullptr;
  GtkWidget* clientArea = nullptr;
  bool menuSaved = false;  // the menu bar is set aside while full screen
  int clientWidth = kPictureWidth;
  int clientHeight = kPictureHeight;

  // The drawing resources: the decoded title picture (empty when it could not be read).
  DecodedPicture title;

  // Three pictures: the one being stored, the newest stored and the one painted last. Storing
  // copies into the first and painting takes the newest, each by a swap under pictureLock, so
  // neither the game thread nor a paint ever waits for the other's copy or paint.
  std::mutex storeLock;    // whoever stores a picture (the game thread, a command): one at a time
  DecodedPicture storing;  // under storeLock
  std::mutex pictureLock;
  DecodedPicture newest;
  DecodedPicture painted;  // only the user-interface thread touches it
  // The move guide's mark of each of the three pictures (kInputNone: no mark).
  InputCode storingGuide = kInputNone;
  InputCode newestGuide = kInputNone;
  InputCode paintedGuide = kInputNone;
  bool newestUnpainted = false;
  // Whether the window shows the newest picture or still the title: a game shows the title
  // until its first picture comes (through the wait of its first open, for one).
  bool pictureShown = false;
  std::atomic<bool> repaintQueued{false};

  // The status beside the title, as the game last told it (any thread).
  std::mutex statusLock;
  std::string status;

  // The display choices (user-interface thread), and whether the move guide is on, which the
  // game thread reads as it shows a picture.
  Settings settings;
  std::atomic<bool> moveGuideOn{false};

  std::thread::id uiThread;
};

extern ShellState shell;

// ---------------------------------------------------------------------------------------------
// Command line

// Reads `qvkavi [GAME_DIR]` (GTK's options are taken out too). True: the program goes on to
// play the game in gameDirectory (empty: none was given). False: it ends with exitStatus (after
// --help, --version or a bad argument, each printed).
bool readCommandLine(int* argc, char*** argv, std::string* gameDirectory, int* exitStatus);

// Where the installed sample game may be: beside the program as the package installs it
// (PREFIX/games/qvkavi and PREFIX/share/qvkavi/game), then under the prefix it was built for.
std::vector<std::string> sampleGamePlaces();

// ---------------------------------------------------------------------------------------------
// Main window

// The commands of the window alone (the game's are in game.h).
constexpr int kCommandPause = 40101;
constexpr int kCommandQuit = 40102;

// Creates the main window with its menu and client area, hidden. nullptr on failure.
GtkWidget* createMainWindow();

// Puts the window at the windowed place and size: (100, 100) with a client area of 320 by 240
// times the chosen size under the menu bar.
void placeWindowed();
// Gives the window the windowed size, where it is.
void sizeWindowed();

// One menu command or shortcut by its identifier, as a command (runCommand); identifiers of no
// command do nothing. The status in the title follows.
void runMenuCommand(int commandId);

// The platform's window seam over the main window.
Window* shellWindow();

bool onUiThread();

// Runs fn on the user-interface thread: at once when called there (as a part of what runs
// there), else as a command of its own, from an idle callback. fn must check that the window
// still exists.
void runOnUiThread(void (*fn)());

// ---------------------------------------------------------------------------------------------
// Waits on the window thread

// Waits ms milliseconds while the window goes on being painted; what else reaches the window
// meanwhile comes as a command and is held until the waiting command is done.
void waitOnUiThread(uint32_t ms);

// ---------------------------------------------------------------------------------------------
// Display

// The display modes as the game sets them, on the user-interface thread.
void enterFullScreenNow();   // the picture over the whole screen, no menu bar, no border
void returnToWindowedNow();  // the plain return from full screen
void resetToWindowedNow();   // Stop's return: waits, renews the drawing resources
void windowedCommand();      // "Windowed": back to the standard place and size, nothing else

void openDrawingResources();  // decodes the title picture
void closeDrawingResources();

// The newest picture of the game thread (any thread), with the move guide's mark for it.
void storePicture(const uint32_t* pixels, int width, int height, InputCode guide);
// Asks for the client area to be painted again (any thread).
void invalidateClient();
// Lets invalidateClient wake the window thread without its main loop's locks (window thread,
// once, before the window shows).
void watchRepaintRequests();

// Signal handlers of the client area.
gboolean onClientDraw(GtkWidget* widget, cairo_t* cr, gpointer);
void onClientSize(GtkWidget* widget, GdkRectangle* allocation, gpointer);

// ---------------------------------------------------------------------------------------------
// Display choices
//
// Display > Size 1x, 2x, 3x (the windowed picture scaled by whole numbers), Keep 4:3 (full
// screen with black bars instead of stretched) and Move guide. They and full screen are kept in
// the user's settings file as they change and come back at the next start.

constexpr int kCommandSize1 = 40111;  // Size 2x and 3x follow
constexpr int kCommandKeepAspect = 40114;
constexpr int kCommandMoveGuide = 40115;

// Reads the settings file (before the menu is built).
void loadDisplayChoices();
// A menu item: a check item for a display choice, set as the settings say, else a plain one.
// The menu gives each item's activate handler its command as data, by which the check items'
// handlers are held back while they are set.
GtkWidget* newMenuItem(const char* label, int commandId);
// Runs a display choice's command; false for any other identifier.
bool runDisplayCommand(int commandId);
// The window has entered full screen or left it: kept for the next start.
void rememberFullScreen(bool fullScreen);

// The move guide's mark over the top-right corner of the picture's rectangle.
void paintMoveGuide(cairo_t* cr, double x, double y, double width, double height, InputCode move);

// ---------------------------------------------------------------------------------------------
// About box

void showAboutBox();

// ---------------------------------------------------------------------------------------------
// Keys

// The virtual-key code of a GDK key event; keys outside the key table get codes it ignores.
uint32_t virtualKeyOf(const GdkEventKey* event);

// Gives the keyboard hook its operations: connecting and disconnecting the main window's key
// handlers.
void setUpKeyboardHook();
