// attach_payload INSTALLER PAYLOAD OUTPUT: the installer's program image with PAYLOAD behind it,
// and the image's payload place filled in with where the payload lies. An INSTALLER that
// carries a payload already has it replaced. Run by the build after linking qvkpatch.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "patch/patch.h"

static int failWith(const std::string& what) {
  std::fprintf(stderr, "attach_payload: %s\n", what.c_str());
  return 1;
}

// The position of the image's one payload place; a marker found twice (or never) leaves the
// place unknown, and the build must stop rather than write into the wrong bytes.
static bool findPlace(const std::vector<uint8_t>& image, size_t* at) {
  const PayloadPlace blank;
  size_t found = 0;
  int count = 0;
  for (size_t pos = 0; pos + sizeof blank.marker <= image.size(); ++pos) {
    if (std::memcmp(image.data() + pos, blank.marker, sizeof blank.marker) == 0) {
      found = pos;
      ++count;
    }
  }
  *at = found;
  return count == 1 && found + sizeof(PayloadPlace) <= image.size();
}

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: attach_payload INSTALLER PAYLOAD OUTPUT\n", stderr);
    return 2;
  }
  std::vector<uint8_t> image, payload;
  if (!readFileBytes(argv[1], &image))
    return failWith(std::string("cannot read ") + argv[1] + ": " + std::strerror(errno));
  if (!readFileBytes(argv[2], &payload))
    return failWith(std::string("cannot read ") + argv[2] + ": " + std::strerror(errno));

  if (payload.empty()) return failWith(std::string(argv[2]) + " is empty");
  size_t at = 0;
  if (!findPlace(image, &at)) return failWith(std::string("no single payload place in ") + argv[1]);
  PayloadPlace place;
  std::memcpy(&place, image.data() + at, sizeof place);
  if (place.length != 0) {
    // A payload is there already: keep the image in front of it.
    if (place.offset > image.size() || image.size() - place.offset != place.length ||
        at + sizeof place > place.offset)
      return failWith(std::string("the payload place of ") + argv[1] + " does not fit the file");
    image.resize(place.offset);
  }
  place.offset = image.size();
  place.length = payload.size();
  std::memcpy(image.data() + at, &place, sizeof place);

  image.insert(image.end(), payload.begin(), payload.end());
  if (!writeFileAtomically(argv[3], image, 0755))
    return failWith(std::string("cannot write ") + argv[3] + ": " + std::strerror(errno));
  return 0;
}
