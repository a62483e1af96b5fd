// The command line: `qvkavi [GAME_DIR]`, besides GTK's own options. The game directory stands
// for the directory the program was started in, so a menu entry or a terminal need not change
// into it; every file is looked for as if the program had been started there.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/shell.h"

namespace {

constexpr int kStatusNoGameDirectory = 1;

constexpr char kSummary[] =
    "Plays the game in GAME_DIR, by default the current directory. Its scenes and clips\n"
    "(*.avi) and infile.txt are read there; its move and hotspot files are read from the\n"
    "install directory ($XDG_DATA_HOME/qvk, by default ~/.local/share/qvk) first and then\n"
    "from GAME_DIR; the saved game qvk.sav is kept in the install directory.";

bool isDirectory(const char* path, int* error) {
  struct stat info;
  if (stat(path, &info) != 0) {
    *error = errno;
    return false;
  }
  *error = ENOTDIR;
  return S_ISDIR(info.st_mode);
}

}  // namespace

bool readCommandLine(int* argc, char*** argv, std::string* gameDirectory, int* exitStatus) {
  gboolean showVersion = FALSE;
  gchar** arguments = nullptr;
  GOptionEntry entries[] = {
      {"version", 0, 0, G_OPTION_ARG_NONE, &showVersion, "Print the version and exit", nullptr},
      {G_OPTION_REMAINING, 0, 0, G_OPTION_ARG_FILENAME_ARRAY, &arguments, nullptr, nullptr},
      {}};
  GOptionContext* context = g_option_context_new("[GAME_DIR]");
  g_option_context_set_summary(context, kSummary);
  g_option_context_add_main_entries(context, entries, nullptr);
  // GTK's options (--display and the like) are taken here too; the display opens later.
  g_option_context_add_group(context, gtk_get_option_group(FALSE));

  GError* error = nullptr;
  bool parsed = g_option_context_parse(context, argc, argv, &error);
  g_option_context_free(context);
  bool goOn = false;
  if (!parsed) {
    std::fprintf(stderr, "qvkavi: %s\nTry 'qvkavi --help'.\n", error->message);
    g_error_free(error);
    *exitStatus = kStatusBadUsage;
  } else if (showVersion) {
    std::printf("qvkavi %s\n", programVersion());
    *exitStatus = 0;
  } else if (arguments && arguments[0] && arguments[1]) {
    std::fprintf(stderr, "qvkavi: one game directory at most\nTry 'qvkavi --help'.\n");
    *exitStatus = kStatusBadUsage;
  } else if (arguments && arguments[0]) {
    int reason = 0;
    if (isDirectory(arguments[0], &reason)) {
      *gameDirectory = arguments[0];
      goOn = true;
    } else {
      std::fprintf(stderr, "qvkavi: %s: %s\n", arguments[0], std::strerror(reason));
      *exitStatus = kStatusNoGameDirectory;
    }
  } else {
    *gameDirectory = std::string(1, '.');  // (a literal trips a GCC 12 false warning)
    goOn = true;
  }
  g_strfreev(arguments);
  return goOn;
}
