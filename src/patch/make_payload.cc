// make_payload OUTPUT STUB NAME=FILE...: the patch payload, made at build time. The extractor
// program STUB comes first, then a ZIP archive holding each FILE under NAME, in the order
// given; the archive's offsets count from the stub's first byte, so the payload is the
// extractor program and a ZIP archive at once.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "patch/patch.h"

static int failWith(const std::string& what) {
  std::fprintf(stderr, "make_payload: %s\n", what.c_str());
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: make_payload OUTPUT STUB NAME=FILE...\n", stderr);
    return 2;
  }
  std::vector<uint8_t> payload;
  if (!readFileBytes(argv[2], &payload))
    return failWith(std::string("cannot read ") + argv[2] + ": " + std::strerror(errno));

  std::vector<ZipMember> members;
  for (int i = 3; i < argc; ++i) {
    const char* equals = std::strchr(argv[i], '=');
    if (!equals || equals == argv[i]) return failWith(std::string("not NAME=FILE: ") + argv[i]);
    ZipMember member;
    member.name.assign(argv[i], static_cast<size_t>(equals - argv[i]));
    if (!readFileBytes(equals + 1, &member.data))
      return failWith(std::string("cannot read ") + (equals + 1) + ": " + std::strerror(errno));
    members.push_back(std::move(member));
  }

  std::string error;
  if (!appendZipArchive(members, &payload, &error)) return failWith(error);
  if (!writeFileAtomically(argv[1], payload, 0755))
    return failWith(std::string("cannot write ") + argv[1] + ": " + std::strerror(errno));
  return 0;
}
