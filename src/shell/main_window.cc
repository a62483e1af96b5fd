// The main window: its menu and client area, the routing of menu commands, and the window seam
// through which the game shows message boxes and pictures and changes the display mode.
#include <memory>

#include "platform/game_wake.h"
#include "shell/shell.h"

ShellState shell;

// ---------------------------------------------------------------------------------------------
// Menu

namespace {

struct MenuItem {
  const char* menu;  // nullptr: an item of the menu bar itself
  const char* label;
  int commandId;
  const char* shortcut = nullptr;  // as GTK spells an accelerator: "<Control>n", "F11"
};

constexpr MenuItem kMenu[] = {
    {"_Game", "_New", kCommandNew, "<Control>n"},
    {"_Game", "_Load", kCommandLoad, "<Control>l"},
    {"_Game", "Sa_ve", kCommandSave, "<Control>s"},
    {"_Game", "S_top", kCommandStop},
    {"_Game", "_Pause", kCommandPause, "p"},
    {"_Game", "_Quit", kCommandQuit, "<Control>q"},
    {"_Display", "_Windowed", kCommandWindowed},
    {"_Display", "F_ull Screen", kCommandFullScreen, "F11"},
    {"_Display", "Size _1x", kCommandSize1},
    {"_Display", "Size _2x", kCommandSize1 + 1},
    {"_Display", "Size _3x", kCommandSize1 + 2},
    {"_Display", "_Keep 4:3", kCommandKeepAspect},
    {"_Display", "Move _Guide", kCommandMoveGuide},
    {nullptr, "_About", kCommandAbout},
};

// Shortcuts that no menu item shows.
constexpr MenuItem kOtherShortcuts[] = {
    {nullptr, nullptr, kCommandPause, "Pause"},
};

void onMenuItem(GtkMenuItem*, gpointer data) {
  runMenuCommand(GPOINTER_TO_INT(data));
}

// The shortcuts are the window's own keys, not accelerators of the menu: they work in full
// screen too, where the menu bar is hidden, and never reach the keyboard hook as moves.
bool shortcutMatches(const MenuItem& entry, const GdkEventKey* event) {
  guint key = 0;
  GdkModifierType modifiers{};
  if (!entry.shortcut) return false;
  gtk_accelerator_parse(entry.shortcut, &key, &modifiers);
  return key != 0 && gdk_keyval_to_lower(event->keyval) == key &&
         (event->state & gtk_accelerator_get_default_mod_mask()) == modifiers;
}

const MenuItem* shortcutOf(const GdkEventKey* event) {
  for (const MenuItem& entry : kMenu)
    if (shortcutMatches(entry, event)) return &entry;
  for (const MenuItem& entry : kOtherShortcuts)
    if (shortcutMatches(entry, event)) return &entry;
  return nullptr;
}

gboolean onShortcutKey(GtkWidget*, GdkEventKey* event, gpointer) {
  const MenuItem* entry = shortcutOf(event);
  if (!entry) return FALSE;
  runMenuCommand(entry->commandId);
  return TRUE;
}

// Shows an item's shortcut beside its label.
void showShortcut(GtkWidget* item, const char* shortcut) {
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
  guint key = 0;
  GdkModifierType modifiers{};
  gtk_accelerator_parse(shortcut, &key, &modifiers);
  if (GTK_IS_ACCEL_LABEL(label)) gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, modifiers);
}

// An item of the menu bar itself (About) is chosen with one click, as it is on release after a
// longer press: GTK would only select it when the click is quick.
gboolean onBarItemRelease(GtkWidget* item, GdkEventButton* event, gpointer) {
  GtkWidget* bar = gtk_widget_get_parent(item);
  if (event->button != GDK_BUTTON_PRIMARY || !GTK_IS_MENU_SHELL(bar)) return FALSE;
  if (gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(bar)) != item) return FALSE;
  gtk_menu_shell_activate_item(GTK_MENU_SHELL(bar), item, TRUE);
  return TRUE;
}

GtkWidget* buildMenuBar() {
  GtkWidget* bar = gtk_menu_bar_new();
  GtkWidget* submenu = nullptr;
  const char* submenuName = nullptr;
  for (const MenuItem& entry : kMenu) {
    GtkWidget* item = newMenuItem(entry.label, entry.commandId);
    g_signal_connect(item, "activate", G_CALLBACK(onMenuItem), GINT_TO_POINTER(entry.commandId));
    if (entry.shortcut) showShortcut(item, entry.shortcut);
    if (!entry.menu) {
      g_signal_connect(item, "button-release-event", G_CALLBACK(onBarItemRelease), nullptr);
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
      continue;
    }
    if (!submenuName || g_strcmp0(submenuName, entry.menu) != 0) {
      GtkWidget* top = gtk_menu_item_new_with_mnemonic(entry.menu);
      submenu = gtk_menu_new();
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), submenu);
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
      submenuName = entry.menu;
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(submenu), item);
  }
  return bar;
}

void setIcons(GtkWidget* window) {
  GList* icons = nullptr;
  for (const char* name : {"ICON48", "ICON32", "ICON16"}) {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    if (!findResource(name, &bytes, &size)) continue;
    GInputStream* stream = g_memory_input_stream_new_from_data(bytes, size, nullptr);
    GdkPixbuf* icon = gdk_pixbuf_new_from_stream(stream, nullptr, nullptr);
    if (icon) icons = g_list_append(icons, icon);
    g_object_unref(stream);
  }
  gtk_window_set_icon_list(GTK_WINDOW(window), icons);
  g_list_free_full(icons, g_object_unref);
}

}  // namespace

// A menu of the window takes GTK's grab while it is open, which shadows the picture: the game
// pauses under the menu as it does under a message box, and resumes when the menu closes.
static void onClientGrabNotify(GtkWidget*, gboolean unshadowed, gpointer) {
  setMenuOpen(!unshadowed);
}

static void quitCommand() {
  if (shell.mainWindow) gtk_widget_destroy(shell.mainWindow);
}

// The menu's own commands and the shortcuts'. A command held until the window had closed does
// nothing.
static void runShellCommand(int commandId) {
  if (!shell.mainWindow) return;
  // Full Screen goes back to the window too: its shortcut works both ways.
  if (commandId == kCommandFullScreen) {
    toggleFullScreen();
  } else if (!runDisplayCommand(commandId)) {
    switch (commandId) {
      case kCommandWindowed: windowedCommand(); break;
      case kCommandAbout: showAboutBox(); break;
      case kCommandPause: pauseKey(); break;
      case kCommandQuit: quitCommand(); break;
      default: break;
    }
  }
  updateStatus();
}

void runMenuCommand(int commandId) {
  if (commandId != kCommandFullScreen && runGameCommand(commandId)) {
    runCommand(updateStatus);
    return;
  }
  runCommand([commandId] { runShellCommand(commandId); });
}

GtkWidget* createMainWindow() {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (!window) return nullptr;
  gtk_window_set_title(GTK_WINDOW(window), kWindowTitle);
  setIcons(window);
  // Before the keyboard hook's handlers, which are connected later: a shortcut is never a move.
  g_signal_connect(window, "key-press-event", G_CALLBACK(onShortcutKey), nullptr);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  shell.menuBar = buildMenuBar();
  shell.clientArea = gtk_drawing_area_new();
  gtk_widget_set_size_request(shell.clientArea, 1, 1);
  gtk_widget_set_vexpand(shell.clientArea, TRUE);
  gtk_widget_set_hexpand(shell.clientArea, TRUE);
  g_signal_connect(shell.clientArea, "draw", G_CALLBACK(onClientDraw), nullptr);
  g_signal_connect(shell.clientArea, "size-allocate", G_CALLBACK(onClientSize), nullptr);
  g_signal_connect(shell.clientArea, "grab-notify", G_CALLBACK(onClientGrabNotify), nullptr);
  gtk_box_pack_start(GTK_BOX(box), shell.menuBar, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), shell.clientArea, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  gtk_widget_show_all(box);
  shell.mainWindow = window;
  watchRepaintRequests();
  return window;
}

void sizeWindowed() {
  GtkWindow* window = GTK_WINDOW(shell.mainWindow);
  int menuHeight = 0;
  if (gtk_widget_get_visible(shell.menuBar)) {
    gtk_widget_get_preferred_height(shell.menuBar, nullptr, &menuHeight);
  }
  if (gtk_window_is_maximized(window)) gtk_window_unmaximize(window);
  gtk_window_resize(window, kPictureWidth * shell.settings.scale,
                    kPictureHeight * shell.settings.scale + menuHeight);
}

void placeWindowed() {
  GtkWindow* window = GTK_WINDOW(shell.mainWindow);
  if (gtk_window_is_maximized(window)) gtk_window_unmaximize(window);
  gtk_window_deiconify(window);
  gtk_window_move(window, kWindowedX, kWindowedY);
  sizeWindowed();
  gtk_widget_show(shell.mainWindow);
  gtk_window_present(window);
}

bool onUiThread() {
  return std::this_thread::get_id() == shell.uiThread;
}

static gboolean runPostedCommand(gpointer data) {
  runCommand(reinterpret_cast<void (*)()>(data));
  return G_SOURCE_REMOVE;
}

static gboolean runPostedTask(gpointer data) {
  reinterpret_cast<void (*)()>(data)();
  return G_SOURCE_REMOVE;
}

// fn on the user-interface thread: at once when called there, else from an idle callback, as a
// command of its own or (asCommand false) plainly.
static void postToUiThread(void (*fn)(), bool asCommand) {
  if (onUiThread()) {
    fn();
    return;
  }
  g_idle_add_full(G_PRIORITY_DEFAULT, asCommand ? runPostedCommand : runPostedTask,
                  reinterpret_cast<gpointer>(fn), nullptr);
}

void runOnUiThread(void (*fn)()) {
  postToUiThread(fn, true);
}

// ---------------------------------------------------------------------------------------------
// Message boxes
//
// On the user-interface thread a box runs its own loop until OK. From another thread (the game
// thread) the box is opened by an idle callback and the caller sleeps until OK wakes it; when
// the caller's thread is asked to stop it gives up waiting and the box is closed (or never
// opened).

namespace {

struct MessageRequest {
  std::string text;
  std::string caption;
  bool warning = false;
  std::mutex lock;
  bool done = false;       // OK was pressed, or the box could not be shown
  bool abandoned = false;  // the caller stopped waiting
  GtkWidget* dialog = nullptr;
};

GtkWidget* makeMessageDialog(const MessageRequest& request) {
  GtkWidget* dialog = gtk_message_dialog_new(
      shell.mainWindow ? GTK_WINDOW(shell.mainWindow) : nullptr, GTK_DIALOG_MODAL,
      request.warning ? GTK_MESSAGE_WARNING : GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s",
      request.text.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), request.caption.c_str());
  return dialog;
}

void finishRequest(MessageRequest* request) {
  {
    std::lock_guard<std::mutex> hold(request->lock);
    request->done = true;
    request->dialog = nullptr;
  }
  wakeGame();
}

void onPostedResponse(GtkDialog* dialog, gint, gpointer data) {
  auto* request = static_cast<std::shared_ptr<MessageRequest>*>(data);
  gtk_widget_destroy(GTK_WIDGET(dialog));
  finishRequest(request->get());
}

void deleteRequest(gpointer data, GClosure*) {
  delete static_cast<std::shared_ptr<MessageRequest>*>(data);
}

gboolean openPostedMessage(gpointer data) {
  auto* request = static_cast<std::shared_ptr<MessageRequest>*>(data);
  MessageRequest& r = **request;
  std::unique_lock<std::mutex> hold(r.lock);
  if (r.abandoned || !shell.mainWindow) {
    r.done = true;
    wakeGame();
  } else {
    r.dialog = makeMessageDialog(r);
    g_signal_connect_data(r.dialog, "response", G_CALLBACK(onPostedResponse),
                          new std::shared_ptr<MessageRequest>(*request), deleteRequest,
                          GConnectFlags(0));
    gtk_widget_show(r.dialog);
  }
  hold.unlock();
  delete request;
  return G_SOURCE_REMOVE;
}

gboolean closeAbandonedMessage(gpointer data) {
  auto* request = static_cast<std::shared_ptr<MessageRequest>*>(data);
  GtkWidget* dialog = nullptr;
  {
    std::lock_guard<std::mutex> hold((*request)->lock);
    dialog = (*request)->dialog;
    (*request)->dialog = nullptr;
  }
  if (dialog) gtk_widget_destroy(dialog);
  delete request;
  return G_SOURCE_REMOVE;
}

void showMessageFromOtherThread(const char* text, const char* caption, bool warning) {
  auto request = std::make_shared<MessageRequest>();
  request->text = text;
  request->caption = caption;
  request->warning = warning;
  g_idle_add(openPostedMessage, new std::shared_ptr<MessageRequest>(request));

  // OK and a stop request both wake the caller; the count is read before either is looked at.
  for (;;) {
    uint64_t wakes = gameWakeCount();
    {
      std::lock_guard<std::mutex> hold(request->lock);
      if (request->done) return;
      if (stopRequested()) {
        request->abandoned = true;
        break;
      }
    }
    waitForGameWake(wakes, platform.gameWakeTimeoutMs * uint64_t{1000});
  }
  g_idle_add(closeAbandonedMessage, new std::shared_ptr<MessageRequest>(request));
}

// ---------------------------------------------------------------------------------------------
// The window seam

// The game's name, and after it the status the game has told, if any.
gboolean showTitleStatus(gpointer) {
  std::string title = kWindowTitle;
  {
    std::lock_guard<std::mutex> hold(shell.statusLock);
    if (!shell.status.empty()) title += " \u2014 " + shell.status;
  }
  if (shell.mainWindow) gtk_window_set_title(GTK_WINDOW(shell.mainWindow), title.c_str());
  return G_SOURCE_REMOVE;
}

struct ShellWindow : Window {
  void showMessage(const char* text, const char* caption, bool warning) override {
    if (!onUiThread()) {
      showMessageFromOtherThread(text, caption, warning);
      return;
    }
    MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.warning = warning;
    GtkWidget* dialog = makeMessageDialog(request);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
  }
  void showPicture(const uint32_t* pixels, int width, int height) override {
    // The mark is taken with the picture, on the thread that judges the windows.
    storePicture(pixels, width, height, shell.moveGuideOn ? moveGuide() : kInputNone);
  }
  void invalidate() override { invalidateClient(); }
  // The game has set its display mode already; the window follows on its own thread.
  void enterFullScreen() override { runOnUiThread(enterFullScreenNow); }
  void returnToWindowed() override { runOnUiThread(returnToWindowedNow); }
  void resetToWindowed() override { runOnUiThread(resetToWindowedNow); }
  void runOnWindowThread(void (*task)()) override { postToUiThread(task, false); }
  void showStatus(const char* status) override {
    {
      std::lock_guard<std::mutex> hold(shell.statusLock);
      shell.status = status;
    }
    // The title changes at once, even while a command waits.
    if (onUiThread()) {
      showTitleStatus(nullptr);
    } else {
      g_idle_add(showTitleStatus, nullptr);
    }
  }
  bool wait(uint32_t ms) override {
    if (!onUiThread()) return waitUnlessStopped(ms);
    waitOnUiThread(ms);
    return true;
  }
};

}  // namespace

Window* shellWindow() {
  static ShellWindow window;
  return &window;
}
