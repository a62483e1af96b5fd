// The ZIP records as the patch archive writes and reads them: little-endian fields at fixed
// offsets (in the base's byte order helpers). Shared by the reader and the writer of this
// folder only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/base.h"

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;    // "PK\3\4"
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;  // "PK\1\2"
constexpr uint32_t kEndRecordSignature = 0x06054b50;      // "PK\5\6"

constexpr size_t kLocalHeaderBytes = 30;
constexpr size_t kCentralHeaderBytes = 46;
constexpr size_t kEndRecordBytes = 22;
constexpr size_t kMaxCommentBytes = 0xffff;

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kVersionDeflate = 20;  // version 2.0: deflate
constexpr uint16_t kHostMsDos = 0;        // high byte of "version made by"
constexpr uint16_t kHostUnix = 3;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagMaximumCompression = 0x0002;  // deflate option bits: -9
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagMaskedHeaders = 0x2000;

constexpr uint32_t kDosAttributeVolume = 0x08;
constexpr uint32_t kDosAttributeDirectory = 0x10;
constexpr uint32_t kDosAttributeArchive = 0x20;
