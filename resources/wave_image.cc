// The RIFF/WAVE layout of the program's wave resources.
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "make_resources.h"

namespace {

constexpr uint32_t kRate = 22050;
constexpr uint16_t kChannels = 2;
constexpr uint32_t kNameField = 32;                                      // INAM text, zero-padded
constexpr uint32_t kCommentField = 42;                                   // ICMT text, zero-padded
constexpr uint32_t kListBytes = 4 + 8 + kNameField + 8 + kCommentField;  // 94
static_assert(kListBytes == 94);

void putTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

void putText(Bytes& out, const char* tag, const char* text, uint32_t field) {
  size_t length = std::strlen(text);
  if (length >= field) std::abort();  // the text and its terminator must fit the field
  putTag(out, tag);
  appendLe32(out, field);
  for (uint32_t i = 0; i < field; ++i) out.push_back(i < length ? text[i] : 0);
}

}  // namespace

Bytes makeWaveImage(const Bytes& samples, const char* name, const char* comment) {
  if (samples.size() % 2 != 0) std::abort();  // whole stereo samples, and no pad byte
  Bytes out;
  putTag(out, "RIFF");
  appendLe32(out, 0);  // filled in below
  putTag(out, "WAVE");

  putTag(out, "fmt ");
  appendLe32(out, 18);
  appendLe16(out, 1);  // PCM
  appendLe16(out, kChannels);
  appendLe32(out, kRate);
  appendLe32(out, kRate * kChannels);
  appendLe16(out, kChannels);  // block alignment
  appendLe16(out, 8);          // bits per sample
  appendLe16(out, 0);          // extra size

  putTag(out, "fact");
  appendLe32(out, 4);
  appendLe32(out, static_cast<uint32_t>(samples.size() / kChannels));

  putTag(out, "data");
  appendLe32(out, static_cast<uint32_t>(samples.size()));
  out.insert(out.end(), samples.begin(), samples.end());

  putTag(out, "LIST");
  appendLe32(out, kListBytes);
  putTag(out, "INFO");
  putText(out, "INAM", name, kNameField);
  putText(out, "ICMT", comment, kCommentField);

  uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = (riffSize >> (8 * i)) & 0xFF;
  return out;
}
