// Any bytes as a patch payload: the reader never crashes or hangs, and what it accepts is sound:
// at least one member, every name a plain file name, no two names the same file, and the members
// written into a new archive read back the same.
#include <strings.h>

#include "patch/patch.h"

// Traps when an invariant does not hold, so the fuzzer reports the input.
static void check(bool condition) {
  if (!condition) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<ZipMember> members;
  std::string error;
  if (!readZipArchive(data, size, &members, &error)) {
    check(members.empty() && !error.empty());
    return 0;
  }
  check(!members.empty());
  for (size_t i = 0; i < members.size(); ++i) {
    check(isPlainMemberName(members[i].name));
    for (size_t j = 0; j < i; ++j)
      check(strcasecmp(members[i].name.c_str(), members[j].name.c_str()) != 0);
  }

  std::vector<uint8_t> again;
  check(appendZipArchive(members, &again, &error));
  std::vector<ZipMember> reread;
  check(readZipArchive(again.data(), again.size(), &reread, &error));
  check(reread.size() == members.size());
  for (size_t i = 0; i < members.size(); ++i)
    check(reread[i].name == members[i].name && reread[i].data == members[i].data);
  return 0;
}
