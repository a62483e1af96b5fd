// The command line: `qvkavi [GAME_DIR]`, besides GTK's own options. The game directory stands
// for the directory the program was started in, so a menu entry or a terminal need not change
// into it; every file is looked for as if the program had been started there.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// dir with a relative path added, ".." taking away a part of it.
std::string joinLexically(std::string dir, const std::string& relative) {
  size_t start = 0;
  while (start < relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    std::string part = relative.substr(start, end - start);
    if (part == "..") {
      dir.erase(std::min(dir.size(), dir.rfind('/')));
    } else if (!part.empty() && part != ".") {
      dir += "/" + part;
    }
    start = end + 1;
  }
  return dir;
}

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
  std::string summary =
      std::string(kSummary) +
      "\nWithout GAME_DIR, where the current directory holds no game, it plays the "
      "installed\nsample game:";
  for (const std::string& place : sampleGamePlaces()) summary += "\n  " + place;
  g_option_context_set_summary(context, summary.c_str());
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
    gameDirectory->clear();
    goOn = true;
  }
  g_strfreev(arguments);
  return goOn;
}

std::vector<std::string> sampleGamePlaces() {
  std::vector<std::string> places;
  char program[4096];
  ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length > 0) {
    std::string dir(program, static_cast<size_t>(length));
    dir.erase(dir.rfind('/'));
    places.push_back(joinLexically(dir, QVK_SAMPLE_GAME_FROM_PROGRAM));
  }
  if (places.empty() || places[0] != QVK_SAMPLE_GAME_DIR) places.push_back(QVK_SAMPLE_GAME_DIR);
  return places;
}
