// The media engine: AVI files (reading, writing, decoding), the sequence loader and its frame
// cache, the sound device with the stream buffer and the beeps, and the playback pump.
//
// Contents
//   Constants          the media properties every clip of the game shares
//   AVI files          the reader behind MediaLibrary, and the writer the tools use
//   Frame decoding     the FrameDrawer that decodes stored frames to pixels
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

// A clip for the writer: 8-bit frames over one 256-colour table, and 8-bit stereo PCM sound.
struct AviClip {
  int width = kPictureWidth;
  int height = kPictureHeight;
  int framesPerSecond = kFramesPerSecond;
  uint32_t palette[256] = {};                // 0x00RRGGBB
  std::vector<std::vector<uint8_t>> frames;  // width * height palette indices, top row first
  std::vector<uint8_t> sound;                // 8-bit stereo PCM at 22050 Hz, L R interleaved
  bool compressRle = true;                   // MS-RLE 8-bit frames; else uncompressed
};

// Writes clip as an interleaved AVI file with an idx1 index. False when it cannot be written.
bool writeAviFile(const char* path, const AviClip& clip);

// ---------------------------------------------------------------------------------------------
// Frame decoding

// The FrameDrawer that decodes with libavcodec and shows the picture on platform.window.
FrameDrawer* decodingFrameDrawer();
