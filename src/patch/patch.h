// The patch: qvkpatch carries a payload behind its own program image and runs it in the install
// directory; the payload is the self-extracting program qvksfx followed by a ZIP archive whose
// offsets count from the payload's first byte, so the payload is a program and a ZIP at once.
//
// Contents
//   Payload place    where the payload lies in the installer's file
//   ZIP archives     members, the checking reader, the writer
//   Installing       writing checked members into the target directory
//   Files            whole files in and out, for the programs of this folder
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/base.h"

// ---------------------------------------------------------------------------------------------
// Payload place
//
// The installer's image holds one PayloadPlace, found by its marker. The build links the
// installer, then writes the payload's offset (the image's size) and length into that record
// and appends the payload, so the installer knows where its payload lies and nothing else.
// A length of 0 is an image that carries no payload yet.

struct PayloadPlace {
  char marker[24] = "qvkpatch payload place";
  uint64_t offset = 0;
  uint64_t length = 0;
};

// ---------------------------------------------------------------------------------------------
// ZIP archives
//
// The patch archive is made on and for MS-DOS: every member is deflated (method 8), needs
// version 2.0, carries the archive attribute and a fixed date, so the build is repeatable.

struct ZipMember {
  std::string name;
  std::vector<uint8_t> data;
};

// Reads a ZIP archive that ends at data + size, with every offset counted from data[0] (the
// first byte of the payload). The whole archive is checked before anything is returned: its
// structure, every size, every member inflated and its CRC compared, every name a plain file
// name of the target directory (no paths, no "..", no drive letters, no control characters),
// every member a plain file (no links, directories or devices), no two names equal without
// regard to case. False with *error telling what is wrong; then *members is empty.
bool readZipArchive(const uint8_t* data, size_t size, std::vector<ZipMember>* members,
                    std::string* error);

// True for a name that stays a plain file of the directory it is written into.
bool isPlainMemberName(const std::string& name);

// A file name with its ASCII letters in lower case. Two names are one file to the game (and to
// the system the patch was made for) when their folded names are equal.
std::string foldedName(const std::string& name);

// Appends a ZIP archive of members, in their order, to *out; its offsets count from (*out)[0],
// so whatever *out holds already (the extractor program) is part of the archive's file. False
// with *error for a member too large for the format.
bool appendZipArchive(const std::vector<ZipMember>& members, std::vector<uint8_t>* out,
                      std::string* error);

// Whether a member of dataBytes bytes named by nameBytes bytes fits the format without ZIP64:
// its sizes are 32-bit fields in which 0xffffffff stands for ZIP64, its name's length a 16-bit
// field. (Data beyond that would reach deflate and the CRC cut to 32 bits.)
bool memberFitsZip(uint64_t dataBytes, size_t nameBytes);

// ---------------------------------------------------------------------------------------------
// Installing
//
// Writes checked members into the existing directory target, each under its own name, each
// file complete before it replaces the old one (a temporary file renamed over it). A file whose
// name differs from a member's only in case is the same file to the game, and is removed once
// the member is in place. Programs (".EXE") are made executable. The file at keptPath (the
// running extractor; "" for none) and the saved game are never replaced or removed: a member
// that would is refused before anything is written. The directory is read once, so the work grows
// with the number of members and files, not with their product. False with *error telling what
// failed; a failure before the first rename leaves the directory as it was.
bool installMembers(const std::string& target, const std::vector<ZipMember>& members,
                    const std::string& keptPath, std::string* error);

// A patch never writes, replaces or removes the player's saved game or the temporary files its
// saves go through (isSaveFileName, in any case). False with *error for an archive holding a
// member of such a name: the installer and the extractor refuse it before anything is written.
bool leavesSavedGameAlone(const std::vector<ZipMember>& members, std::string* error);

// ---------------------------------------------------------------------------------------------
// Files

// Writes all size bytes of data to fd, going on after interruptions and short writes.
bool writeAllBytes(int fd, const void* data, size_t size);

// Reads the whole file at path. False (errno set) when it cannot be opened or read.
bool readFileBytes(const char* path, std::vector<uint8_t>* bytes);

// Writes bytes to path through a temporary file renamed over it, with the given permissions.
bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode);
