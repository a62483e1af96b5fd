// The desktop shell: the one folder that knows GTK. The entry, the main window with its menu,
// the start-up and shutdown order, the two display modes, painting, the About box, and the
// key and focus events that feed the keyboard hook.
//
// Contents
//   Shell state        the main window's widgets and drawing resources
//   Main window        creation, commands, shutdown, the window seam of the platform
//   Display            display modes, client size, painting, the newest picture
//   About box
//   Keys               GDK keys as virtual-key codes; the hook as key handlers
//
// Threads: every GTK call is made on the user-interface thread. Calls of the window seam from
// other threads are handed to it with an idle callback.
#pragma once

#include <gtk/gtk.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "game/game.h"
#include "input/input.h"
#include "media/media.h"
#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Shell state

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

  // The newest picture from the game thread and the one painted last: painting takes the newest
  // by a swap, so the game thread copies each picture once and never waits for a paint.
  std::mutex pictureLock;
  DecodedPicture newest;
  DecodedPicture painted;  // only the user-interface thread touches it
  bool newestUnpainted = false;
  std::atomic<bool> repaintQueued{false};

  std::thread::id uiThread;
};

extern ShellState shell;

// ---------------------------------------------------------------------------------------------
// Main window

// Creates the main window with its menu and client area, hidden. nullptr on failure.
GtkWidget* createMainWindow();

// Puts the window at the windowed place and size: (100, 100) with a 320 by 240 client area under
// the menu bar.
void placeWindowed();

// One menu command by its identifier; identifiers of no command do nothing.
void runCommand(int commandId);

// The platform's window seam over the main window.
Window* shellWindow();

bool onUiThread();

// Runs fn on the user-interface thread: at once when called there, else from an idle callback.
// fn must check that the window still exists.
void runOnUiThread(void (*fn)());

// ---------------------------------------------------------------------------------------------
// Display

void enterFullScreen();      // "Full Screen": only while a game or the demo runs
void returnToWindowedNow();  // the plain return from full screen
void resetToWindowedNow();   // Stop's return: waits, renews the drawing resources
void windowedCommand();      // "Windowed": back to the standard place and size, nothing else

void openDrawingResources();  // decodes the title picture
void closeDrawingResources();

// The newest picture of the game thread (any thread).
void storePicture(const uint32_t* pixels, int width, int height);
// Asks for the client area to be painted again (any thread).
void invalidateClient();

// Signal handlers of the client area.
gboolean onClientDraw(GtkWidget* widget, cairo_t* cr, gpointer);
void onClientSize(GtkWidget* widget, GdkRectangle* allocation, gpointer);

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
