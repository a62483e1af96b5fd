// The base: small helpers that every layer may use and that use nothing of the project. Byte
// order of the files the programs read and write, fixed-size text, the install directory, and
// the command line that every program answers alike.
//
// Contents
//   Byte order          little-endian fields, four-character codes
//   Fixed-size text     bounded copies into char arrays; names shown in messages
//   Install directory   where the game is installed, making it, the saved game's names
//   Settings file       the desktop program's display choices, kept between runs
//   Command line        --help, --version, bad usage and numbers, alike in every program
//   Invariants          asserting the code's own, renewing a global record
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Byte order
//
// Every file of the game (RIFF chunks, the saved game, ZIP records) stores its numbers
// little-endian.

inline uint16_t readLe16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t readLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint64_t readLe64(const uint8_t* p) {
  return uint64_t(readLe32(p)) | uint64_t(readLe32(p + 4)) << 32;
}

inline void writeLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(value >> (8 * i));
}

inline void appendLe16(std::vector<uint8_t>& out, uint32_t value) {
  out.insert(out.end(), {uint8_t(value), uint8_t(value >> 8)});
}
inline void appendLe32(std::vector<uint8_t>& out, uint32_t value) {
  out.insert(out.end(),
             {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}

// A RIFF four-character code as the file stores it, read as a little-endian number.
constexpr uint32_t fourCc(const char (&code)[5]) {
  return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
         uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

// ---------------------------------------------------------------------------------------------
// Fixed-size text

// Copies source into dest, cut to fit destSize with its terminator. appendText adds to what
// dest holds already, cut the same way.
void copyText(char* dest, size_t destSize, const char* source);
void appendText(char* dest, size_t destSize, const char* source);

// A name read from a file as a message can show it: quoted, bytes outside printable ASCII as
// \xNN.
std::string shownName(const std::string& name);

// ---------------------------------------------------------------------------------------------
// Install directory
//
// The install directory stands for the game's own folder: the player reads move and hotspot
// files there first and keeps the saved game there; the patch installs into it.

// A base directory of this user as the XDG rules give it: $variable when it is an absolute path,
// else underHome in the home directory ("XDG_DATA_HOME", ".local/share").
std::string xdgDirectory(const char* variable, const char* underHome);

// The install directory of this user ($XDG_DATA_HOME/qvk, or ~/.local/share/qvk).
std::string defaultInstallDirectory();

// Creates dir and its missing parents. True when dir exists afterwards.
bool makeDirectories(const std::string& dir);

// The saved game's file in the install directory. A save writes the new record to a temporary
// file of its own beside it, named kSaveFileName, a dot and six characters, and renames that
// over the saved game.
constexpr const char* kSaveFileName = "qvk.sav";
// True for the saved game's name and the names of its temporary files (any name beginning
// "qvk.sav."), in any case: files that only the game's saves may write, replace or remove.
bool isSaveFileName(const std::string& name);

// ---------------------------------------------------------------------------------------------
// Settings file
//
// The desktop program's display choices, kept between runs in this user's settings file: one
// "name=value" line each. What the reader cannot take (an unreadable or oversized file, a
// damaged line, an unknown name, a value out of range) leaves that choice at its default, so a
// damaged file gives the defaults: 1x, stretched, windowed, no move guide.

constexpr int kLargestScale = 3;

struct Settings {
  int scale = 1;            // the windowed picture is 320x240 times this, 1 to kLargestScale
  bool keepAspect = false;  // full screen keeps 4:3 with black bars instead of stretching
  bool fullScreen = false;  // the window was full screen when the program last changed it
  bool moveGuide = false;   // the right move is marked over the picture's corner
  bool operator==(const Settings&) const = default;
};

// $XDG_CONFIG_HOME/qvkavi/settings, or ~/.config/qvkavi/settings.
std::string defaultSettingsPath();
Settings parseSettings(const std::string& text);
std::string formatSettings(const Settings& settings);
// The settings in path; the defaults when it is missing, unreadable or not a regular file (it is
// never waited on).
Settings readSettings(const std::string& path);
// Writes a temporary file of this write's own beside path and renames it over path, making the
// directory first: path holds the old settings or the new ones, never a part. False with the
// system's reason in *reason.
bool writeSettings(const std::string& path, const Settings& settings, std::string* reason);

// ---------------------------------------------------------------------------------------------
// Command line
//
// Every program answers --help (or -h) with its usage and --version with "NAME VERSION", on
// standard output and with exit status 0. A bad command line is told on standard error in one
// line, "NAME: what is wrong", then "Try 'NAME --help'.", with exit status 2.

constexpr int kStatusBadUsage = 2;

// The version of this build ("1.0").
const char* programVersion();
// When argv holds --help, -h or --version, prints the answer and returns true: the program then
// ends with status 0.
bool answersHelpOrVersion(int argc, char** argv, const char* name, const char* usage);
// Tells the bad command line; returns kStatusBadUsage.
int badUsage(const char* name, const std::string& text);
// A whole number in decimal digits alone, from low to high; false for anything else (a sign, a
// space, an empty text, a number out of range). Never throws.
bool parseWholeNumber(const char* text, uint64_t low, uint64_t high, uint64_t* value);

// ---------------------------------------------------------------------------------------------
// Invariants
//
// The code's own invariants (a row index inside its table, a cache slot in range) are asserted
// where they are relied on, in every build: a broken one is a fault of the program, which then
// stops with the condition and its place on standard error instead of reading or writing out
// of bounds. Data read from files is never asserted: it is clamped and reported.
#define QVK_ASSERT(condition) \
  ((condition) ? void(0) : assertionFailed(#condition, __FILE__, __LINE__))
[[noreturn]] void assertionFailed(const char* condition, const char* file, int line);

// Puts a global record back to its start values: destroyed and built afresh, since its atomics
// and locks cannot be assigned, so that a field added later cannot be forgotten. Only while no
// other thread uses it.
template <typename Record>
void renew(Record& record) {
  std::destroy_at(&record);
  std::construct_at(&record);
}
