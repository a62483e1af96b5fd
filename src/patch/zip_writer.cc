// Writing the patch archive: each member deflated at the strongest level, headers as MS-DOS
// made them, and one fixed date, so that the same inputs give the same bytes.
#define ZLIB_CONST
#include <zlib.h>

#include "patch/patch.h"
#include "patch/zip_format.h"

namespace {

// 1 January 2000, 00:00:00, in MS-DOS form.
constexpr uint16_t kDosDate = (2000 - 1980) << 9 | 1 << 5 | 1;
constexpr uint16_t kDosTime = 0;
constexpr uint64_t kMaxZipBytes = 0xfffffffe;  // above this the format needs ZIP64

struct Written {
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t headerOffset = 0;
};

bool deflateData(const std::vector<uint8_t>& data, std::vector<uint8_t>* out) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return false;
  out->resize(deflateBound(&stream, static_cast<uLong>(data.size())));
  stream.next_in = data.data();
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out->data();
  stream.avail_out = static_cast<uInt>(out->size());
  int status = deflate(&stream, Z_FINISH);
  out->resize(stream.total_out);
  deflateEnd(&stream);
  return status == Z_STREAM_END;
}

// The fields that the local header and the central directory entry share, from "version
// needed" to the name's length.
void appendCommonFields(const ZipMember& member, const Written& written,
                        std::vector<uint8_t>* out) {
  appendLe16(*out, kVersionDeflate);
  appendLe16(*out, kFlagMaximumCompression);
  appendLe16(*out, kMethodDeflated);
  appendLe16(*out, kDosTime);
  appendLe16(*out, kDosDate);
  appendLe32(*out, written.crc);
  appendLe32(*out, written.compressedSize);
  appendLe32(*out, static_cast<uint32_t>(member.data.size()));
  appendLe16(*out, static_cast<uint32_t>(member.name.size()));
}

void appendName(const ZipMember& member, std::vector<uint8_t>* out) {
  out->insert(out->end(), member.name.begin(), member.name.end());
}

}  // namespace

bool memberFitsZip(uint64_t dataBytes, size_t nameBytes) {
  return dataBytes <= kMaxZipBytes && nameBytes <= kMaxCommentBytes;
}

bool appendZipArchive(const std::vector<ZipMember>& members, std::vector<uint8_t>* out,
                      std::string* error) {
  if (members.size() >= 0xffff) {
    *error = "too many members";
    return false;
  }
  std::vector<Written> written(members.size());
  std::vector<uint8_t> packed;
  for (size_t i = 0; i < members.size(); ++i) {
    const ZipMember& member = members[i];
    if (!memberFitsZip(member.data.size(), member.name.size()) ||
        !deflateData(member.data, &packed) || out->size() + packed.size() > kMaxZipBytes) {
      *error = "member \"" + member.name + "\" does not fit into a ZIP archive";
      return false;
    }
    written[i].crc = static_cast<uint32_t>(crc32(0L, member.data.data(), member.data.size()));
    written[i].compressedSize = static_cast<uint32_t>(packed.size());
    written[i].headerOffset = static_cast<uint32_t>(out->size());
    appendLe32(*out, kLocalHeaderSignature);
    appendCommonFields(member, written[i], out);
    appendLe16(*out, 0);  // no extra field
    appendName(member, out);
    out->insert(out->end(), packed.begin(), packed.end());
  }

  size_t directoryOffset = out->size();
  for (size_t i = 0; i < members.size(); ++i) {
    appendLe32(*out, kCentralHeaderSignature);
    appendLe16(*out, kHostMsDos << 8 | kVersionDeflate);  // made on MS-DOS
    appendCommonFields(members[i], written[i], out);
    appendLe16(*out, 0);  // no extra field
    appendLe16(*out, 0);  // no comment
    appendLe16(*out, 0);  // first disk
    appendLe16(*out, 0);  // internal attributes
    appendLe32(*out, kDosAttributeArchive);
    appendLe32(*out, written[i].headerOffset);
    appendName(members[i], out);
  }
  size_t directoryBytes = out->size() - directoryOffset;
  if (out->size() + kEndRecordBytes > kMaxZipBytes) {
    *error = "the archive is too large for a ZIP archive";
    return false;
  }

  appendLe32(*out, kEndRecordSignature);
  appendLe16(*out, 0);  // this disk
  appendLe16(*out, 0);  // the disk of the central directory
  appendLe16(*out, static_cast<uint32_t>(members.size()));
  appendLe16(*out, static_cast<uint32_t>(members.size()));
  appendLe32(*out, static_cast<uint32_t>(directoryBytes));
  appendLe32(*out, static_cast<uint32_t>(directoryOffset));
  appendLe16(*out, 0);  // no comment
  return true;
}
