// Key events of the main window. The keyboard hook is the pair of key handlers:
// connected when the window gains the focus, disconnected when it loses it. A key's press, each
// auto-repeat and its release all go through the hook, and the key is passed on afterwards.
// The window's own keys never reach the hook: the shortcuts (taken before it), the modifier keys,
// keys pressed with Ctrl or Alt (menu mnemonics), the key that opens the menu bar, keys while a
// menu is open, and the release of a key whose press went elsewhere (the Esc that closed a menu,
// a shortcut).
#include <gdk/gdkkeysyms.h>

#include <set>

#include "shell/shell.h"

namespace {

constexpr uint32_t kKeyNotInTable = 0xFF;
constexpr uint32_t kKeyNumpad0 = 0x60;

gulong keyPressHandler = 0;
gulong keyReleaseHandler = 0;
std::set<guint16> keysPressedHere;  // hardware codes of keys whose press reached the hook

// The key that opens the menu bar (F10 unless the desktop says otherwise).
bool opensMenuBar(const GdkEventKey* event) {
  gchar* accelerator = nullptr;
  g_object_get(gtk_settings_get_default(), "gtk-menu-bar-accel", &accelerator, nullptr);
  guint key = 0;
  GdkModifierType modifiers{};
  if (accelerator) gtk_accelerator_parse(accelerator, &key, &modifiers);
  g_free(accelerator);
  return key != 0 && event->keyval == key &&
         (event->state & gtk_accelerator_get_default_mod_mask()) == modifiers;
}

bool reachesGame(const GdkEventKey* event) {
  if (event->is_modifier || (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) return false;
  // While a menu is open (GTK's grab), GTK hands the window the keys the menu bar takes.
  if (gtk_grab_get_current() || opensMenuBar(event)) return false;
  if (event->type == GDK_KEY_PRESS) {
    keysPressedHere.insert(event->hardware_keycode);
    return true;
  }
  return keysPressedHere.erase(event->hardware_keycode) > 0;
}

gboolean onKeyEvent(GtkWidget*, GdkEventKey* event, gpointer) {
  if (!reachesGame(event)) return FALSE;
  uint32_t virtualKey = virtualKeyOf(event);
  runCommand([virtualKey] { keyEvent(virtualKey); });
  return FALSE;  // never swallowed: menu mnemonics still work
}

bool connectKeyHandlers() {
  if (!shell.mainWindow) return false;
  keysPressedHere.clear();
  keyPressHandler =
      g_signal_connect(shell.mainWindow, "key-press-event", G_CALLBACK(onKeyEvent), nullptr);
  keyReleaseHandler =
      g_signal_connect(shell.mainWindow, "key-release-event", G_CALLBACK(onKeyEvent), nullptr);
  return keyPressHandler != 0 && keyReleaseHandler != 0;
}

bool disconnectKeyHandlers() {
  if (shell.mainWindow) {
    if (keyPressHandler) g_signal_handler_disconnect(shell.mainWindow, keyPressHandler);
    if (keyReleaseHandler) g_signal_handler_disconnect(shell.mainWindow, keyReleaseHandler);
  }
  keyPressHandler = keyReleaseHandler = 0;
  return true;
}

}  // namespace

uint32_t virtualKeyOf(const GdkEventKey* event) {
  guint key = event->keyval;
  switch (key) {
    // The keypad's arrows are what keypad 8, 2, 4 and 6 send with Num Lock off.
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return kKeyUp;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return kKeyDown;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return kKeyLeft;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return kKeyRight;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space: return kKeySpace;
    case GDK_KEY_F5: return kKeyF5;
    case GDK_KEY_F6: return kKeyF6;
    case GDK_KEY_Escape: return kKeyEscape;
    default: break;
  }
  if (key >= GDK_KEY_KP_0 && key <= GDK_KEY_KP_9) return kKeyNumpad0 + (key - GDK_KEY_KP_0);
  if (key >= GDK_KEY_a && key <= GDK_KEY_z) return 'A' + (key - GDK_KEY_a);
  if (key >= GDK_KEY_A && key <= GDK_KEY_Z) return 'A' + (key - GDK_KEY_A);
  if (key >= GDK_KEY_0 && key <= GDK_KEY_9) return '0' + (key - GDK_KEY_0);
  return kKeyNotInTable;
}

void setUpKeyboardHook() {
  keyboardHook.install = connectKeyHandlers;
  keyboardHook.remove = disconnectKeyHandlers;
}
