// The media engine: AVI files (reading, writing, decoding), the sequence loader and its frame
// cache, the sound device with the stream buffer and the beeps, and the playback pump. It knows
// nothing of the game: it plays the clip it is told to open and reports what happened (the
// clock, the frame shown, the clip's end) in its playback state.
//
// Contents
//   Constants          the media properties every clip of the game shares
//   Playback state     the open clip, its clock, the pump's bookkeeping, the sound objects
//   AVI files          the reader behind MediaLibrary, and the writer the tools use
//   Frame decoding     the FrameDrawer that decodes stored frames to pixels
//   Sound              the sound device, the beeps and the stream buffer
//   Sequence           openSequence, closeSequence, the frame cache
//   Playback pump      the pieces of the media steps of a pass, the FrameTimer
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Constants
//
// The frame rate and the sound format are the platform's (kFramesPerSecond,
// kSoundBytesPerFrame, kSilence).

constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;
constexpr int kStreamBufferBytes = kSoundBytesPerSecond;  // one second, looping
constexpr int kChunks = 6;
constexpr int kChunkBytes = kStreamBufferBytes / kChunks;  // 7350: two frames of sound
constexpr int kFramesPerChunk = kChunkBytes / kSoundBytesPerFrame;
constexpr int kCacheSlots = kFramesPerSecond;  // one second of video
constexpr int kSlotBytes = 30000;
constexpr uint32_t kFrameTimerMs = 83;
constexpr int kClipNameSize = 40;    // a clip name and its terminator
constexpr int32_t kFullVolume = -1;  // hundredths of a decibel
// A clip plays at most this many frames (twelve hours), and starts at most here, so that its
// sound positions stay inside 32 bits; a file with more ends here.
constexpr int32_t kMostClipFrames = 1 << 19;

// ---------------------------------------------------------------------------------------------
// Playback state
//
// The media engine's one global record. While a game runs the game thread alone writes it; the
// commands of the window thread open and close clips only when no game thread runs. A field
// that another thread touches is atomic and says which thread that is, but for the sound
// objects' pointers (below), which are safe by order.

// The open clip's next video frames, still compressed as the file stores them.
using FrameCache = uint8_t[kCacheSlots][kSlotBytes];

// Where the open clip's sound stands on its way to the clip's end (sound mode). Every open
// starts at kPlaying; the pump's moveSoundStage makes every move.
enum class SoundStage : uint8_t {
  kPlaying,     // the clock follows the play cursor
  kTrackEnded,  // a refill found no more sound: the clock stands still until the cursor has
                // left the chunk filled last
  kDraining,    // it has: the buffer plays out what it holds, the clock stands still, and the
                // picture draws down; the clip ends as the cursor enters that chunk
  kRefilled,    // a refill found sound again while draining: the clock follows the cursor again,
                // the draw-down goes on, and a refill that finds none drains again
};

struct PlaybackState {
  // The clock and the open clip.
  std::atomic<int32_t> clockFrame{0};      // frames: from the play cursor, or counted by the
                                           // FrameTimer on the timer thread (timer mode)
  std::atomic<int32_t> currentFrame{0};    // frames: the newest frame of the clock the picture took
  std::atomic<bool> sequenceEnded{false};  // the open clip has ended: the scene flow is due
  std::atomic<int32_t> sequenceLength{0};  // frames of the open clip; 0 when it could not open
  char openClipName[kClipNameSize] = {};   // the clip opened last, also once it is closed
  bool soundClock = false;  // the play cursor drives the clock; else the FrameTimer does
  // What holds the game (Hold bits, written by the window thread): while anything does, the
  // FrameTimer's clock stands still, as the stopped stream buffer's does.
  std::atomic<unsigned> holds{0};

  // The frame cache and the open file's video format.
  FrameCache frameCache = {};
  int32_t slotBytes[kCacheSlots] = {};  // bytes of each slot that hold its stored frame
  uint8_t videoFormat[kVideoFormatSize] = {};
  int32_t videoFormatSize = 0;       // bytes
  std::atomic<int32_t> drawSlot{0};  // the slot drawn next
  int32_t lastLoadedSlot = -1;       // the slot reloaded last; -1: none since the open
  bool drawDown = false;  // the drain has begun: the picture shows what the cache holds, and
                          // the clip ends when it has drawn up to the slot reloaded last

  // The sound pump.
  int32_t chunkClock = 0;          // chunks: where the clock stands at the start of the cursor's
                                   // chunk, in chunks from the clip's frame 0
  int32_t soundReadPos = 0;        // bytes: the next position of the track to read
  bool chunkFilled[kChunks] = {};  // the chunk holds sound the cursor has not reached yet
  int32_t lastFilledChunk = -1;    // the chunk that took the last sound read; -1: none
  uint32_t playCursor = 0;         // bytes: the stream buffer's play position at the last poll
  SoundStage soundStage = SoundStage::kPlaying;

  // Platform objects, each possibly absent and tested before every use. The sound objects are
  // plain pointers that the game thread and the window thread both read: safe by order, as
  // start-up sets them before a game thread can start, and shutdown releases the beeps only
  // after the game thread has been joined (the device and the stream buffer stay to the end).
  SoundDevice* soundDevice = nullptr;
  SoundBuffer* streamBuffer = nullptr;  // kStreamBufferBytes, looping
  SoundBuffer* goodBeep = nullptr;
  SoundBuffer* badBeep = nullptr;
  MediaFile* aviFile = nullptr;  // the open clip's file
  std::atomic<TimerId> frameTimerId{0};
};

extern PlaybackState playback;

// ---------------------------------------------------------------------------------------------
// AVI files

// The MediaLibrary of our own RIFF/AVI reader, over platform.directories.current.
MediaLibrary* aviMediaLibrary();

// Opens an AVI file by path (no directory lookup); nullptr when it is not a readable AVI file,
// with errno saying why (kDamagedFile: it is no AVI file the reader can play).
// Release with delete.
MediaFile* openAviFile(const char* path);

// What the tools show of an AVI file beyond what the game reads. False when file is not one
// that openAviFile opened.
struct AviFileFacts {
  const char* indexKind = "none";  // "idx1", "OpenDML", "rebuilt" (no usable index: scanned)
  int streams = 0;
  int videoStream = -1, audioStream = -1;  // stream numbers, -1 when absent
  uint32_t videoHandler = 0;               // strh fccHandler
  uint32_t videoRate = 0, videoScale = 0;  // frames per second = rate / scale
  uint32_t headerFrames = 0;               // the main header's frame count
  int32_t keyFrames = 0;
  int32_t largestFrame = 0;  // bytes
  int64_t soundBytes = 0;
  uint64_t openReads = 0, openBytesRead = 0;  // what opening the file cost: reads and bytes
};
bool describeAviFile(MediaFile* file, AviFileFacts* facts);

// A clip for the writer: 8-bit frames over one 256-colour table, and 8-bit stereo PCM sound.
struct AviClip {
  int width = kPictureWidth;
  int height = kPictureHeight;
  int framesPerSecond = kFramesPerSecond;
  uint32_t palette[256] = {};                // 0x00RRGGBB
  std::vector<std::vector<uint8_t>> frames;  // width * height palette indices, top row first
  std::vector<uint8_t> sound;                // 8-bit stereo PCM at 22050 Hz, L R interleaved
  bool compressRle = true;                   // MS-RLE 8-bit frames; else uncompressed
  // Entries of the colour table written to the file. The game reads 1024 bytes of format, the
  // 40-byte header and 246 colours, so pictures meant for it use indices below 246.
  int paletteEntries = 256;
  // MS-RLE: every frame that is a multiple of this is a key frame (0: only frame 0 and the
  // frames where a key frame is smaller than a delta). Delta frames draw over the picture
  // before them, so a player that skips a frame or starts in the middle shows its traces until
  // the next key frame.
  int keyFrameInterval = 0;
};

// Writes clip as an interleaved AVI file with an idx1 index. False when it cannot be written.
bool writeAviFile(const char* path, const AviClip& clip);

// One 8-bit picture (width * height indices, top row first) as MS-RLE data, appended to out.
// With previous (the picture before it), a delta frame that leaves unchanged pixels alone.
void encodeMsrleFrame(const uint8_t* picture, const uint8_t* previous, int width, int height,
                      std::vector<uint8_t>& out);

// ---------------------------------------------------------------------------------------------
// Frame decoding

// The FrameDrawer that decodes stored frames (the game's own formats itself, others with
// libavcodec) and shows the picture on platform.window.
FrameDrawer* decodingFrameDrawer();
// A decoding drawer of its own, with no picture yet (tools, tests); release with delete.
FrameDrawer* makeDecodingFrameDrawer();

// The picture a video format describes, from the fields of its bitmap information header. rows
// is the height without its sign (a negative height stores the rows top row first), so even
// the height -2^31 has one.
struct PictureFormat {
  int32_t width = 0;
  uint32_t rows = 0;
  bool topDown = false;
  uint16_t bitCount = 0;
  uint32_t compression = 0;  // as stored
  uint32_t coloursUsed = 0;  // 0 when the format is too short to say
};
// False when format is too short to hold the fields up to the compression code.
bool readPictureFormat(const uint8_t* format, int32_t formatSize, PictureFormat* picture);

// The libavcodec decoder a video format (bitmap information header) is decoded with, as the
// drawer chooses it; nullptr when there is none.
const char* decoderNameForFormat(const uint8_t* format, int32_t formatSize);

// ---------------------------------------------------------------------------------------------
// Sound

// A wave image's "fmt " and "data" chunks. Each out-pointer may be null (not asked for).
bool findWaveChunks(const uint8_t* image, size_t imageSize, const uint8_t** format,
                    const uint8_t** data, uint32_t* dataSize);
// A wave resource of the program ("GBEEP", "BBEEP").
bool loadWaveResource(const char* name, const uint8_t** format, const uint8_t** data,
                      uint32_t* dataSize);
bool fillSoundBuffer(SoundBuffer* buffer, const uint8_t* bytes, uint32_t count);
SoundBuffer* createEffectBuffer(SoundDevice* device, const char* resourceName);
// Creates the sound device and the two beeps (none of them when there is no device).
void initSound();
// Creates the looping stream buffer in the sound format of the open file and preloads it.
void initStreamBuffer();

// Locks count bytes of the stream buffer from offset and reads the open clip's sound track from
// soundReadPos into them, while the clip's sound goes on (a clip plays at most kMostClipFrames).
// What a read that runs into the track's end lacks is silence; a failed read leaves the bytes as
// they were, or makes them silence with silenceOnFailure.
struct StreamFill {
  bool locked = false;  // false: nothing was read or written
  bool read = false;
  int32_t bytes = 0;  // bytes of sound read
};
StreamFill fillStreamBuffer(uint32_t offset, uint32_t count, bool silenceOnFailure);
// Whether the clip's sound goes on at soundReadPos.
bool soundToCome();

// What can hold the game, each on its own: the window has lost the keyboard focus, the player
// has paused the game, a menu of the window is open.
enum Hold : unsigned {
  kHoldNoFocus = 1,
  kHoldPaused = 2,
  kHoldMenu = 4,
};

// The stream buffer plays while the open clip's sound plays and nothing holds the game, whatever
// the order in which these change: a hold pauses the clip at any moment (in the middle of an
// open too), and the end of the last hold resumes a clip that plays. One lock keeps them and the
// buffer's play state together.
void playStream();                 // the open clip's sound plays (an open's end, a game's start)
void stopStream();                 // it stops (an open, a close, the drain's end, a command)
void setHold(Hold hold, bool on);  // a hold begins or ends
bool isHeld(unsigned holds);       // whether any of these holds the game

// Plays one of the two beeps once, from its start.
enum Beep { kGoodBeep, kBadBeep };
void playBeep(Beep beep);

// ---------------------------------------------------------------------------------------------
// Sequence

// Opens fileName (current directory) at startFrame: resets the clock, fills the frame cache,
// then starts the sound (one-second preload and wait) or the FrameTimer.
void openSequence(const char* fileName, int32_t startFrame);
// Stops the stream buffer and releases the open file.
void closeSequence();
// Draws frame cache slot `slot` into the window.
void drawCachedFrame(int32_t slot);

// ---------------------------------------------------------------------------------------------
// Playback pump
//
// The media steps of a pass, in the order the game thread runs them: a clock poll, the picture
// step, a clock poll, the refill step, a clock poll.

// One poll of the clock. clockRead: clockFrame was taken from the clock (always in timer mode;
// in sound mode unless the cursor could not be read, or the clip ended or drains). cursorChunk:
// the stream buffer's chunk the cursor is in (sound mode), else -1. The clip's end is reported
// in sequenceEnded.
struct ClockReading {
  bool clockRead = false;
  int32_t cursorChunk = -1;
};
ClockReading pollClock();

// Microseconds until the clock can move without a wake-up of the game thread: the play cursor,
// moving on with time, entering the next frame's sound. -1 when only a wake-up can move it.
int64_t timeToClockMoveUs();

// At most one frame per pass, however far the clock has moved; the slot drawn is reloaded.
void pictureStep();

// In sound mode, refills the chunk before cursorChunk (the first poll's) once the cursor has
// been seen inside cursorChunk.
void refillStep(int32_t cursorChunk);

// The FrameTimer's callback: one frame of clock, unless something holds the game.
void frameTimerTick();
