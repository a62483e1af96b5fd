// make_resources OUTDIR NAME...: writes each named resource into OUTDIR/NAME.
#include "make_resources.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Maker {
  const char* name;
  Bytes (*make)();
};

const Maker kMakers[] = {
    {"GBEEP", makeGoodBeep}, {"BBEEP", makeBadBeep}, {"TITLE", makeTitlePicture},
    {"ICON48", makeIcon48},  {"ICON32", makeIcon32}, {"ICON16", makeIcon16},
};

bool writeFile(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_resources OUTDIR NAME...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
    const Maker* maker = nullptr;
    for (const Maker& m : kMakers) {
      if (std::strcmp(m.name, argv[i]) == 0) maker = &m;
    }
    if (!maker) {
      std::fprintf(stderr, "make_resources: no maker for %s\n", argv[i]);
      return 1;
    }
    std::string path = std::string(argv[1]) + "/" + argv[i];
    if (!writeFile(path, maker->make())) {
      std::fprintf(stderr, "make_resources: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
