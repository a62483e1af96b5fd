// The saved game: one 50-byte record in the install directory's qvk.sav, written and read
// with DOS line ends (every LF byte of the record is stored as CR LF). A save replaces the file
// whole; a load goes on only in a scene of the game or its credits.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/save_record.h"

static constexpr const char* kSaveFailedText = "Failed to create save file";
static constexpr const char* kSaveFailedCaption = "File System Error";
static constexpr const char* kDamagedSaveCaption = "Damaged saved game";
static constexpr const char* kNoGameToSaveText =
    "There is no game to save: nothing was written, and the saved game is kept as it is.\n"
    "Save while you play a game (Game > New or Game > Load).";
static constexpr const char* kNoGameToSaveCaption = "Save";

// Field offsets of the record.
static constexpr int kMissedSceneAt = 0;
static constexpr int kLivesAt = 15;
static constexpr int kSceneAt = 19;
static constexpr int kRestartFrameAt = 34;
static constexpr int kMoveIndexAt = 38;
static constexpr int kHotspotIndexAt = 42;
static constexpr int kResumeMoveIndexAt = 46;

static void putInt(uint8_t* at, int32_t value) {
  writeLe32(at, static_cast<uint32_t>(value));
}

static int32_t getInt(const uint8_t* at) {
  return static_cast<int32_t>(readLe32(at));
}

void encodeSaveRecord(const SaveRecord& record, uint8_t (&bytes)[kSaveRecordSize]) {
  std::memcpy(bytes + kMissedSceneAt, record.missedScene, kSaveNameSize);
  putInt(bytes + kLivesAt, record.lives);
  std::memcpy(bytes + kSceneAt, record.scene, kSaveNameSize);
  putInt(bytes + kRestartFrameAt, record.restartFrame);
  putInt(bytes + kMoveIndexAt, record.moveIndex);
  putInt(bytes + kHotspotIndexAt, record.hotspotIndex);
  putInt(bytes + kResumeMoveIndexAt, record.resumeMoveIndex);
}

int decodeSaveFile(const uint8_t* fileBytes, size_t fileSize, uint8_t (&bytes)[kSaveRecordSize]) {
  int length = 0;
  for (size_t i = 0; i < fileSize && length < kSaveRecordSize; ++i) {
    if (fileBytes[i] == '\r' && i + 1 < fileSize && fileBytes[i + 1] == '\n') ++i;
    bytes[length++] = fileBytes[i];
  }
  return length;
}

// A name field holds the name up to its terminator; a longer name is cut to fit.
static void putName(char (&field)[kSaveNameSize], const char* name) {
  std::memset(field, 0, kSaveNameSize);
  copyText(field, kSaveNameSize, name);
}

static int32_t clampedLives(int32_t lives) {
  if (lives < 0) return 1;
  if (lives > kStartLives) return kStartLives;
  return lives;
}

// A loaded game goes on with at least one life: a save holds 0 only when it was made while the
// clip of the last life lost played, and the continue offer that was due then does not come
// again. Other counts can only come from a damaged file.
static int32_t livesToResumeWith(int32_t saved) {
  int32_t lives = clampedLives(saved);
  return lives < 1 ? 1 : lives;
}

// The save file's path and the reason, after the game's own words.
static void reportSaveFailure(const std::string& target, int error) {
  std::string text = std::string(kSaveFailedText) + "\n" + fileInMessage(target, error);
  if (platform.window) platform.window->showMessage(text.c_str(), kSaveFailedCaption, true);
}

// Writes the file form of the record and makes sure it reached the disk. 0, or the errno of the
// first step that failed.
static int writeSaveFile(FILE* file, const uint8_t (&bytes)[kSaveRecordSize]) {
  uint8_t stored[2 * kSaveRecordSize];
  size_t length = 0;
  for (uint8_t byte : bytes) {
    if (byte == '\n') stored[length++] = '\r';
    stored[length++] = byte;
  }
  int error = 0;
  if (std::fwrite(stored, 1, length, file) != length) error = errno;
  if (std::fflush(file) != 0 && !error) error = errno;
  if (fsync(fileno(file)) != 0 && !error) error = errno;
  return error;
}

// A temporary file of this save's own beside the saved game (target), under a name nobody else
// has: another window or qvksim saving at the same time neither writes into it nor renames it.
// Its name goes to *temporary; it is the player's alone, as mkstemp makes it.
static FILE* createTemporary(const std::string& target, std::string* temporary) {
  *temporary = target + ".XXXXXX";
  int fd = mkostemp(temporary->data(), O_CLOEXEC);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    int error = errno;
    close(fd);
    unlink(temporary->c_str());
    errno = error;
  }
  return file;
}

bool saveGame() {
  int32_t hotspotIndex = game.hotspotIndex;
  QVK_ASSERT(hotspotIndex >= 0 && hotspotIndex < kHotspotEntries);
  int32_t restartFrame = game.hotspotTable[hotspotIndex];
  int32_t lives = game.lives;
  int32_t clamped = clampedLives(lives);
  if (clamped != lives) game.lives.compare_exchange_strong(lives, clamped);

  SaveRecord record = {};
  char name[kClipNameSize];
  readName(game.missedScene, name);
  putName(record.missedScene, name);
  record.lives = clamped;
  readName(game.sceneFile, name);
  putName(record.scene, name);
  record.restartFrame = restartFrame;
  record.moveIndex = game.moveIndex;
  record.hotspotIndex = game.hotspotIndex;
  record.resumeMoveIndex = game.resumeMoveIndex;
  uint8_t bytes[kSaveRecordSize];
  encodeSaveRecord(record, bytes);

  // The new record goes to a file of its own, reaches the disk, and replaces the saved game in
  // one rename: whoever else saves, the saved game is always one whole record, and a failed
  // save never costs the player the game saved before.
  const std::string& dir = platform.directories.install;
  std::string target = resolveInDirectory(dir, kSaveFileName);
  std::string temporary;
  FILE* file = createTemporary(target, &temporary);
  if (!file && (!makeDirectories(dir) || !(file = createTemporary(target, &temporary)))) {
    reportSaveFailure(target, errno);
    return false;
  }
  int error = writeSaveFile(file, bytes);
  if (std::fclose(file) != 0 && !error) error = errno;
  if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error) {
    unlink(temporary.c_str());
    reportSaveFailure(target, error);
    return false;
  }
  return true;
}

void saveCommand() {
  // The demo and the title have a position too (the start scene, five lives), but saving it
  // would put a player's saved progress back to the start.
  if (!game.gameActive || game.demoActive) {
    if (platform.window)
      platform.window->showMessage(kNoGameToSaveText, kNoGameToSaveCaption, false);
    return;
  }
  if (saveGame()) noteGameSaved();
}

static std::string savePath() {
  return resolveInDirectory(platform.directories.install, kSaveFileName);
}

static void reportDamagedSave(const char* scene) {
  std::string text = "The saved game is damaged: " + shownName(scene) +
                     " is not a scene of the game. A new game starts instead.\n" +
                     fileInMessage(savePath(), 0);
  if (platform.window) platform.window->showMessage(text.c_str(), kDamagedSaveCaption, true);
}

// A saved game that is there but cannot be read (no saved game at all is no message).
static void reportUnreadableSave(int error) {
  std::string text = "The saved game cannot be read. A new game starts instead.\n" +
                     fileInMessage(savePath(), error);
  if (platform.window) platform.window->showMessage(text.c_str(), kDamagedSaveCaption, true);
}

// A name field: the characters up to the terminator, at most the whole field.
static void getName(const uint8_t* field, char (&name)[kClipNameSize]) {
  std::memset(name, 0, sizeof name);
  std::memcpy(name, field, kSaveNameSize);
}

int32_t loadGame() {
  FILE* file = openInDirectory(platform.directories.install, kSaveFileName, "rb");
  if (!file) {
    if (errno != ENOENT) reportUnreadableSave(errno);
    setUpNewGame();
    return 0;
  }
  // The record is at most 100 bytes on disk; anything beyond that is not ours.
  uint8_t stored[2 * kSaveRecordSize];
  size_t storedSize = std::fread(stored, 1, sizeof stored, file);
  std::fclose(file);
  uint8_t bytes[kSaveRecordSize];
  int length = decodeSaveFile(stored, storedSize, bytes);

  // Without a scene name there is nothing to resume: the file is as good as absent.
  if (length < kSceneAt + kSaveNameSize) {
    setUpNewGame();
    return 0;
  }

  // A game goes on only in a scene or the credits: any other clip (a death, game over, the
  // continue offer) would open again at its own end, for ever.
  char scene[kClipNameSize];
  getName(bytes + kSceneAt, scene);
  if (!isSceneName(scene) && std::strcmp(scene, kCreditsClip) != 0) {
    reportDamagedSave(scene);
    setUpNewGame();
    return 0;
  }

  // Fields past the end of a short file keep their earlier values.
  char missed[kClipNameSize];
  getName(bytes + kMissedSceneAt, missed);
  writeName(game.missedScene, missed);
  game.lives = livesToResumeWith(getInt(bytes + kLivesAt));
  writeName(game.sceneFile, scene);
  // Without a restart frame the clip restarts where the clock stands: read now, as the clock
  // counts on while the tables load and their messages wait for the player.
  int32_t restartFrame = playback.clockFrame;
  if (length >= kRestartFrameAt + 4) restartFrame = clampFrame(getInt(bytes + kRestartFrameAt));
  int32_t moveIndex = game.moveIndex;
  int32_t hotspotIndex = game.hotspotIndex;
  int32_t resumeMoveIndex = game.resumeMoveIndex;
  if (length >= kMoveIndexAt + 4) moveIndex = getInt(bytes + kMoveIndexAt);
  if (length >= kHotspotIndexAt + 4) hotspotIndex = getInt(bytes + kHotspotIndexAt);
  if (length >= kResumeMoveIndexAt + 4) resumeMoveIndex = getInt(bytes + kResumeMoveIndexAt);

  loadSceneTables(scene);

  // A damaged record must not point outside the tables or before the scene's start. Resuming
  // with all three indices at 0 is safe: the row advance and the checkpoint step catch up with
  // the restart frame within a few passes.
  bool inTables = moveIndex >= 0 && moveIndex < kMoveRows && hotspotIndex >= 0 &&
                  hotspotIndex < kHotspotEntries && resumeMoveIndex >= 0 &&
                  resumeMoveIndex < kMoveRows;
  game.moveIndex = inTables ? moveIndex : 0;
  game.hotspotIndex = inTables ? hotspotIndex : 0;
  game.resumeMoveIndex = inTables ? resumeMoveIndex : 0;
  return restartFrame;
}
