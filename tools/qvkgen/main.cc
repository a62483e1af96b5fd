// qvkgen DIR: writes the complete sample game into DIR. The output depends on nothing but this
// program, so two runs write the same bytes.
#include <atomic>
#include <cstdio>
#include <thread>

#include "qvkgen.h"

static const char kUsage[] =
    "Usage: qvkgen DIR\n"
    "Writes the sample game into DIR (created if missing): the scenes seq01..seq08 and\n"
    "seq12..seq17 with their move (.txt) and hotspot (.hot) files, every death and object\n"
    "clip they name, the lives, continue, game-over, missed, credits and demo clips.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

static bool writeText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

// Renders and writes the files from the shared counter on, until none is left.
static void writeFiles(const std::vector<GameFile>& files, const std::string& dir,
                       std::atomic<size_t>& next, std::atomic<bool>& failed) {
  for (size_t i = next++; i < files.size(); i = next++) {
    const GameFile& file = files[i];
    std::string path = dir + "/" + file.name;
    bool ok = file.render ? writeAviFile(path.c_str(), file.render()) : writeText(path, file.text);
    if (!ok) {
      std::fprintf(stderr, "qvkgen: cannot write %s\n", path.c_str());
      failed = true;
    }
  }
}

int main(int argc, char** argv) {
  if (answersHelpOrVersion(argc, argv, "qvkgen", kUsage)) return 0;
  if (argc != 2) return badUsage("qvkgen", argc < 2 ? "no directory" : "one directory at most");
  if (argv[1][0] == '-') return badUsage("qvkgen", std::string("no option ") + argv[1]);
  const std::string dir = argv[1];
  if (!makeDirectories(dir)) {
    std::fprintf(stderr, "qvkgen: cannot create %s\n", dir.c_str());
    return 1;
  }

  const std::vector<Scene> scenes = allScenes();
  const std::vector<GameFile> files = gameFiles(scenes);
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  // Two workers: the clips are independent, and each is the same whichever worker makes it.
  std::thread helper(writeFiles, std::cref(files), std::cref(dir), std::ref(next),
                     std::ref(failed));
  writeFiles(files, dir, next, failed);
  helper.join();
  if (failed) return 1;
  std::printf("qvkgen: %zu files written to %s\n", files.size(), dir.c_str());
  return 0;
}
