// The media engine: AVI files (reading, writing, decoding), the sequence loader and its frame
// cache, the sound device with the stream buffer and the beeps, and the playback pump.
//
// Contents
//   Constants          the media properties every clip of the game shares
//   AVI files          the reader behind MediaLibrary, and the writer the tools use
//   Frame decoding     the FrameDrawer that decodes stored frames to pixels
//   Sound              the sound device, the beeps and the stream buffer
//   Sequence           openSequence, closeSequence, the frame cache
//   Playback pump      the media steps of a pass, the clock, the FrameTimer
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Constants

constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;
constexpr int kFramesPerSecond = 12;
constexpr int kSoundBytesPerSecond = 44100;
constexpr int kSoundBytesPerFrame = 3675;  // 44100 / 12
constexpr int kBytesPerSample = 2;         // 8-bit stereo
constexpr int kStreamBufferBytes = 44100;  // one second, looping
constexpr int kChunkBytes = 7350;          // two frames of sound
constexpr int kChunks = 6;
constexpr int kCacheSlots = 12;  // one second of video
constexpr int kSlotBytes = 30000;
constexpr uint32_t kFrameTimerMs = 83;

// ---------------------------------------------------------------------------------------------
// AVI files

// The MediaLibrary of our own RIFF/AVI reader, over platform.directories.current.
MediaLibrary* aviMediaLibrary();

// Opens an AVI file by path (no directory lookup); nullptr when it is not a readable AVI file.
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

// ---------------------------------------------------------------------------------------------
// Sequence

// The open clip's next video frames, still compressed as the file stores them.
using FrameCache = uint8_t[kCacheSlots][kSlotBytes];

// The sequence loader's state beside the game state: the cache, the open file's video format,
// and which clock drives the open clip.
struct SequenceState {
  FrameCache frameCache = {};
  int32_t slotBytes[kCacheSlots] = {};  // bytes of each slot that hold the stored frame
  uint8_t videoFormat[kVideoFormatSize] = {};
  int32_t videoFormatSize = 0;
  // The stream buffer's play position drives the clock (sound mode); otherwise the FrameTimer
  // does: no sound device, no stream buffer, or a clip without a sound track.
  bool soundClock = false;
};

extern SequenceState sequence;

// A start frame is at most this, so sound positions stay inside 32 bits.
constexpr int32_t kLastStartFrame = 1 << 19;

// Opens fileName (current directory) at startFrame: resets the clock, fills the frame cache,
// then starts the sound (one-second preload and wait) or the FrameTimer.
void openSequence(const char* fileName, int32_t startFrame);
// Stops the stream buffer and releases the open file.
void closeSequence();
// Draws frame cache slot `slot` into the window.
void drawCachedFrame(int32_t slot);

// ---------------------------------------------------------------------------------------------
// Playback pump

// The media steps of one pass of the game thread.
void runMediaSteps();

// One poll of the clock; returns the chunk the play cursor is in (sound mode), 1 (timer mode),
// kClockEnded or kClockUnreadable.
int32_t pollClock();
constexpr int32_t kClockTimerRunning = 1;
constexpr int32_t kClockEnded = 7777;
constexpr int32_t kClockUnreadable = 9999;

// The FrameTimer's callback: one frame of clock, unless the window has lost the focus.
void frameTimerTick();
