// The display choices of the Display menu: the windowed picture's size, Keep 4:3 and the move
// guide, shown as check items. Each change, and each entry into full screen or return from it,
// is written to the user's settings file at once; start-up reads it back.
#include <cstdio>

#include "shell/shell.h"

namespace {

constexpr int kCommandSizeLast = kCommandSize1 + kLargestScale - 1;

std::string settingsPath;
bool writeFailureTold = false;

// The check items by command, as the menu was built.
std::vector<std::pair<int, GtkWidget*>> choiceItems;

bool isChoice(int commandId) {
  return (commandId >= kCommandSize1 && commandId <= kCommandSizeLast) ||
         commandId == kCommandKeepAspect || commandId == kCommandMoveGuide;
}

bool checked(int commandId) {
  const Settings& settings = shell.settings;
  if (commandId == kCommandKeepAspect) return settings.keepAspect;
  if (commandId == kCommandMoveGuide) return settings.moveGuide;
  return settings.scale == commandId - kCommandSize1 + 1;
}

// GTK toggles a check item as it is chosen, and setting one runs its activate handlers: the
// items are set from the settings with their command's handler (the one whose data is the
// command) held back.
void showChoices() {
  auto match = GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA);
  guint activate = g_signal_lookup("activate", GTK_TYPE_MENU_ITEM);
  for (auto [commandId, item] : choiceItems) {
    gpointer data = GINT_TO_POINTER(commandId);
    g_signal_handlers_block_matched(item, match, activate, 0, nullptr, nullptr, data);
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), checked(commandId));
    g_signal_handlers_unblock_matched(item, match, activate, 0, nullptr, nullptr, data);
  }
}

// A settings file that cannot be written costs the next start its choices, nothing else: one
// line on standard error says so, once.
void keepSettings() {
  std::string reason;
  if (writeSettings(settingsPath, shell.settings, &reason) || writeFailureTold) return;
  std::fprintf(stderr, "qvkavi: the display settings cannot be kept in %s: %s\n",
               settingsPath.c_str(), reason.c_str());
  writeFailureTold = true;
}

// GTK's own theme marks a chosen check or radio item with an SVG picture, and the first one
// shown loads librsvg and libxml2 into the program: some 9 MB for the rest of its run, more than
// everything else the program keeps. The same theme holds each mark as a PNG too; we use those.
// Another theme is left to draw its marks as it likes.
constexpr const char* kPngMarks =
    "menu menuitem check:checked { -gtk-icon-source: -gtk-recolor(url("
    "'resource:///org/gtk/libgtk/theme/Adwaita/assets/check-symbolic.symbolic.png')); }\n"
    "menu menuitem radio:checked { -gtk-icon-source: -gtk-recolor(url("
    "'resource:///org/gtk/libgtk/theme/Adwaita/assets/bullet-symbolic.symbolic.png')); }\n";

void useThemePngMarks() {
  static bool done = false;
  GdkScreen* screen = gdk_screen_get_default();
  if (done || !screen) return;
  done = true;
  gchar* theme = nullptr;
  g_object_get(gtk_settings_get_default(), "gtk-theme-name", &theme, nullptr);
  bool ownTheme = g_strcmp0(theme, "Adwaita") == 0;
  g_free(theme);
  if (!ownTheme) return;
  GtkCssProvider* provider = gtk_css_provider_new();
  if (gtk_css_provider_load_from_data(provider, kPngMarks, -1, nullptr))
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

}  // namespace

void loadDisplayChoices() {
  settingsPath = defaultSettingsPath();
  shell.settings = readSettings(settingsPath);
  shell.moveGuideOn = shell.settings.moveGuide;
}

GtkWidget* newMenuItem(const char* label, int commandId) {
  if (!isChoice(commandId)) return gtk_menu_item_new_with_mnemonic(label);
  useThemePngMarks();
  GtkWidget* item = gtk_check_menu_item_new_with_mnemonic(label);
  bool isSize = commandId >= kCommandSize1 && commandId <= kCommandSizeLast;
  gtk_check_menu_item_set_draw_as_radio(GTK_CHECK_MENU_ITEM(item), isSize);
  gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), checked(commandId));
  choiceItems.emplace_back(commandId, item);
  return item;
}

bool runDisplayCommand(int commandId) {
  if (!isChoice(commandId)) return false;
  Settings& settings = shell.settings;
  if (commandId == kCommandKeepAspect) {
    settings.keepAspect = !settings.keepAspect;
  } else if (commandId == kCommandMoveGuide) {
    settings.moveGuide = !settings.moveGuide;
    shell.moveGuideOn = settings.moveGuide;
  } else {
    settings.scale = commandId - kCommandSize1 + 1;
    // Full screen keeps the size for its return.
    if (shell.mainWindow && game.displayMode == kDisplayWindowed) sizeWindowed();
  }
  showChoices();
  keepSettings();
  invalidateClient();
  return true;
}

void rememberFullScreen(bool fullScreen) {
  if (shell.settings.fullScreen == fullScreen) return;
  shell.settings.fullScreen = fullScreen;
  keepSettings();
}
