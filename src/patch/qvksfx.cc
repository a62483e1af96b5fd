// qvksfx TARGET: the self-extracting program at the front of the patch payload. It unpacks the
// ZIP archive carried behind it (offsets count from its own first byte) into the directory
// TARGET, replacing files of the same names; the whole archive is checked first, so a damaged
// or hostile patch installs nothing. It never replaces or removes its own file.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "patch/patch.h"

static constexpr int kStatusFailed = 1;
static constexpr const char* kOwnFile = "/proc/self/exe";

static const char kUsage[] =
    "Usage: qvksfx TARGET\n"
    "Unpacks the archive carried behind this program into the directory TARGET.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

int main(int argc, char** argv) {
  if (answersHelpOrVersion(argc, argv, "qvksfx", kUsage)) return 0;
  if (argc != 2) return badUsage("qvksfx", argc < 2 ? "no target directory" : "one target at most");
  if (argv[1][0] == '-') return badUsage("qvksfx", std::string("no option ") + argv[1]);
  std::vector<uint8_t> self;
  if (!readFileBytes(kOwnFile, &self)) {
    std::fprintf(stderr, "qvksfx: cannot read its own file: %s\n", std::strerror(errno));
    return kStatusFailed;
  }
  std::vector<ZipMember> members;
  std::string error;
  if (!readZipArchive(self.data(), self.size(), &members, &error)) {
    std::fprintf(stderr, "qvksfx: the patch is damaged or unsafe, nothing was installed: %s\n",
                 error.c_str());
    return kStatusFailed;
  }
  // Run as qvp in the directory it unpacks into, its own file is the installer's to delete.
  if (!installMembers(argv[1], members, kOwnFile, &error)) {
    std::fprintf(stderr, "qvksfx: cannot install the update: %s\n", error.c_str());
    return kStatusFailed;
  }
  return 0;
}
