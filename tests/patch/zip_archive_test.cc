// The patch archive: what the build writes reads back the same behind a program, and the
// reader refuses every damaged or hostile archive whole.
#include <gtest/gtest.h>

#include <random>

#include "patch_test_support.h"

namespace {

// A patch's members; the program is small unless asked for, so that the archives stay good
// fuzz seeds.
std::vector<ZipMember> sampleMembers(size_t programBytes = 3000) {
  std::vector<uint8_t> program(programBytes);
  std::mt19937 random(7);
  for (size_t i = 0; i < program.size(); ++i)
    program[i] = static_cast<uint8_t>(i % 3 ? random() : 0);
  return {{"QVKAVI.EXE", program},
          member("PATCH.BAT", "@echo off\r\nexit\r\n"),
          member("SEQ01.TXT", "  40  d1   00   d1   d1   d1   d1\r\n"),
          member("EMPTY.TXT", "")};
}

// The reader's verdict on an archive, "" when it reads. Every archive judged here seeds the
// reader's fuzz target.
std::string refusal(const std::vector<uint8_t>& zip) {
  keepAsFuzzSeed(zip);
  std::vector<ZipMember> members;
  std::string error;
  bool read = readZipArchive(zip.data(), zip.size(), &members, &error);
  EXPECT_EQ(read, members.size() > 0);
  EXPECT_EQ(read, error.empty());
  return read ? "" : error;
}

}  // namespace

static bool operator==(const ZipMember& a, const ZipMember& b) {
  return a.name == b.name && a.data == b.data;
}

TEST(ZipArchive, MembersReadBackInOrderBehindAProgram) {
  std::vector<ZipMember> members = sampleMembers(70000);  // more than deflate's 32 KB window
  std::string stub = "MZ" + std::string(5000, '\x90') + "PK\x05\x06 not the end record";
  std::vector<uint8_t> zip = zipOf(members, stub);
  std::vector<ZipMember> read;
  std::string error;
  ASSERT_TRUE(readZipArchive(zip.data(), zip.size(), &read, &error)) << error;
  EXPECT_TRUE(read == members);
  // Offsets count from the program's first byte.
  EXPECT_EQ(localHeaderAt(zip, 0), stub.size());
}

TEST(ZipArchive, HeadersAreThoseOfMsDosDeflatedMembersWithAFixedDate) {
  std::vector<uint8_t> zip = zipOf(sampleMembers());
  for (int i = 0; i < 4; ++i) {
    size_t central = centralEntryAt(zip, i);
    size_t local = localHeaderAt(zip, i);
    EXPECT_EQ(get32(zip, central + 4) & 0xffff, 20u);  // made on MS-DOS (0), by version 2.0
    EXPECT_EQ(get32(zip, central + 6) & 0xffff, 20u);  // needs version 2.0
    EXPECT_EQ(get32(zip, central + 10) & 0xffff, 8u);  // deflated
    EXPECT_EQ(get32(zip, central + 38), 0x20u);        // archive attribute
    EXPECT_EQ(get32(zip, central + 12), get32(zip, local + 10));
    EXPECT_EQ(get32(zip, local + 8) & 0xffff, 8u);
  }
  EXPECT_EQ(get32(zip, centralEntryAt(zip, 0) + 12), uint32_t{0x2821} << 16);  // 2000-01-01
  EXPECT_EQ(zipOf(sampleMembers()), zip);
}

TEST(ZipArchive, StoredMembersAndACommentAreRead) {
  std::vector<uint8_t> zip = storedZipOf({{"A.TXT", "first"}, {"B.TXT", ""}});
  std::string comment = "made by hand";
  put16(&zip, endRecordAt(zip) + 20, static_cast<uint32_t>(comment.size()));
  zip.insert(zip.end(), comment.begin(), comment.end());
  keepAsFuzzSeed(zip);
  std::vector<ZipMember> read;
  std::string error;
  ASSERT_TRUE(readZipArchive(zip.data(), zip.size(), &read, &error)) << error;
  EXPECT_TRUE(read == (std::vector<ZipMember>{member("A.TXT", "first"), member("B.TXT", "")}));
}

// A member's name is a plain file's, and no two members name the same file.
TEST(ZipArchive, NamesThatLeaveTheTargetDirectoryOrRepeatAFileAreRefused) {
  const std::string hostile[] = {"../EVIL.TXT",
                                 "/tmp/EVIL.TXT",
                                 "..\\EVIL.TXT",
                                 "C:EVIL.TXT",
                                 "SUB/EVIL.TXT",
                                 "..",
                                 ".",
                                 "",
                                 std::string("EVIL\0.TXT", 9),
                                 "EVIL\x01.TXT",
                                 "DIR/",
                                 std::string(256, 'A')};
  for (const std::string& name : hostile) {
    std::vector<uint8_t> zip = zipOf({member("SEQ01.TXT", "good"), member(name, "evil")});
    EXPECT_NE(refusal(zip).find("plain file"), std::string::npos) << name;
  }
  for (const char* name : {"SEQ01.TXT", "qvkavi.exe", ".profile", "a name with spaces.txt"})
    EXPECT_TRUE(isPlainMemberName(name)) << name;
  EXPECT_EQ(refusal(zipOf({member("SEQ01.TXT", "new"), member("seq01.txt", "other")})),
            "members \"SEQ01.TXT\" and \"seq01.txt\" name the same file");
}

TEST(ZipArchive, LinksDirectoriesAndDevicesAreRefused) {
  const std::vector<uint8_t> good = zipOf({member("SEQ01.TXT", "1"), member("LINK", "/etc/x")});
  const size_t central = centralEntryAt(good, 1);
  struct Kind {
    uint32_t madeBy, attributes;
    bool refused;
  };
  const Kind kinds[] = {{0x0314, 0xa1ff0000, true}, {0x0314, 0x41ed0010, true},
                        {0x0314, 0x21a40000, true}, {0x0014, 0x00000010, true},
                        {0x0014, 0x00000008, true}, {0x0314, 0x81a40020, false},
                        {0x0b14, 0xa1ff0020, false}};  // high bits mean nothing off Unix
  for (const Kind& kind : kinds) {
    std::vector<uint8_t> zip = good;
    put16(&zip, central + 4, kind.madeBy);
    put32(&zip, central + 38, kind.attributes);
    EXPECT_EQ(refusal(zip).find("not a plain file") != std::string::npos, kind.refused)
        << std::hex << kind.madeBy << " " << kind.attributes;
  }
}

TEST(ZipArchive, AWrongCrcIsRefused) {
  std::vector<uint8_t> zip = zipOf(sampleMembers());
  uint32_t crc = get32(zip, centralEntryAt(zip, 2) + 16) ^ 1;
  put32(&zip, centralEntryAt(zip, 2) + 16, crc);
  put32(&zip, localHeaderAt(zip, 2) + 14, crc);
  EXPECT_EQ(refusal(zip), "member \"SEQ01.TXT\": its CRC does not match its contents");
}

TEST(ZipArchive, AMemberHiddenInsideAnotherIsRefused) {
  // B's local header and data sit inside A's stored data.
  std::vector<uint8_t> inner = storedZipOf({{"B", "bomb"}});
  std::string hidden(inner.begin(), inner.begin() + 30 + 1 + 4);
  std::vector<uint8_t> zip = storedZipOf({{"A", hidden}, {"B", "bomb", false, 30 + 1}});
  EXPECT_EQ(refusal(zip), "members \"A\" and \"B\" overlap");
}

TEST(ZipArchive, FeaturesAPatchNeverUsesAreRefused) {
  const std::vector<uint8_t> good = zipOf(sampleMembers());
  auto withBoth = [&](size_t centralField, size_t localField, uint32_t value, bool wide) {
    std::vector<uint8_t> zip = good;
    auto put = wide ? put32 : put16;
    put(&zip, centralEntryAt(zip, 1) + centralField, value);
    put(&zip, localHeaderAt(zip, 1) + localField, value);
    return refusal(zip);
  };
  EXPECT_EQ(withBoth(8, 6, 0x0003, false), "member \"PATCH.BAT\" is encrypted");
  EXPECT_EQ(withBoth(10, 8, 12, false), "member \"PATCH.BAT\" uses an unknown compression method");
  EXPECT_EQ(withBoth(24, 22, 0x7fffffff, true),
            "member \"PATCH.BAT\" claims a size its data cannot have");
  EXPECT_EQ(withBoth(24, 22, 0xffffffff, true),
            "member \"PATCH.BAT\" needs ZIP64, which a patch never uses");

  std::vector<uint8_t> spanning = good;
  put16(&spanning, endRecordAt(spanning) + 4, 1);
  EXPECT_EQ(refusal(spanning), "the archive spans several disks");
  EXPECT_EQ(refusal(storedZipOf({})), "the archive holds no files");
  std::vector<uint8_t> nothing(100, 'x');
  EXPECT_EQ(refusal(nothing), "no ZIP archive found");
  EXPECT_EQ(refusal({}), "no ZIP archive found");
}

// The end record closes the file (a comment, if any, runs exactly to its end), and the central
// directory it names ends where the end record begins.
TEST(ZipArchive, BytesAfterTheEndOrADirectoryOfAnotherSizeAreRefused) {
  const std::vector<uint8_t> good = zipOf(sampleMembers());
  std::vector<uint8_t> trailing = good;
  trailing.push_back(0);
  EXPECT_EQ(refusal(trailing), "no ZIP archive found");
  const size_t end = endRecordAt(good);
  for (size_t field : {size_t{12}, size_t{16}})  // the directory's size, its offset
    for (uint32_t change : {1u, 0u - 1u}) {
      std::vector<uint8_t> zip = good;
      put32(&zip, end + field, get32(zip, end + field) + change);
      EXPECT_EQ(refusal(zip),
                "the central directory does not end where the archive's end record is")
          << field << " " << int32_t(change);
    }
}

TEST(ZipArchive, ALocalHeaderThatDisagreesWithTheDirectoryIsRefused) {
  const std::vector<uint8_t> good = zipOf(sampleMembers());
  for (size_t field : {size_t{14}, size_t{18}, size_t{22}, size_t{30}}) {
    std::vector<uint8_t> zip = good;
    zip[localHeaderAt(zip, 2) + field] ^= 0x04;
    EXPECT_EQ(refusal(zip), "member \"SEQ01.TXT\": its local header differs from the directory")
        << field;
  }
}

// Sizes beyond the format's fields are refused before anything is written: 0xffffffff bytes
// would read as ZIP64, 2^32 as none at all. (No test can hold 4 GB of data in memory.)
TEST(ZipArchive, AMemberTooLargeForTheFormatIsNotWritten) {
  EXPECT_TRUE(memberFitsZip(0xfffffffe, 65535));
  EXPECT_FALSE(memberFitsZip(0xffffffff, 9));
  EXPECT_FALSE(memberFitsZip(uint64_t{1} << 32, 9));
  EXPECT_FALSE(memberFitsZip(9, 65536));
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_FALSE(appendZipArchive({member(std::string(65536, 'A'), "data")}, &out, &error));
  EXPECT_NE(error.find("does not fit into a ZIP archive"), std::string::npos);
}

// Every cut of the file and every changed byte: refused, or read as what was written (a byte of
// a field the reader does not use, such as the date).
TEST(ZipArchive, NoCutAndNoChangedByteGetsThroughAsOtherContents) {
  const std::vector<ZipMember> members = {member("PATCH.BAT", "@echo off\r\nexit\r\n"),
                                          member("SEQ01.TXT", std::string(300, '4'))};
  const std::vector<uint8_t> good = zipOf(members, "MZstub");
  for (size_t size = 0; size < good.size(); ++size) {
    std::vector<ZipMember> read;
    std::string error;
    EXPECT_FALSE(readZipArchive(good.data(), size, &read, &error)) << size;
  }
  for (size_t at = 0; at < good.size(); ++at) {
    for (uint8_t flip : {0x01, 0x10, 0x80}) {
      std::vector<uint8_t> zip = good;
      zip[at] ^= flip;
      std::vector<ZipMember> read;
      std::string error;
      if (readZipArchive(zip.data(), zip.size(), &read, &error)) {
        EXPECT_TRUE(read == members) << at << " " << int{flip};
      }
    }
  }
}
