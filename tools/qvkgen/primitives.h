// qvkgen's primitives: the five moves, a 320x240 palettized picture with its colour table,
// drawing and the bitmap font, and a small synthesizer of tones and noises mixed into a stereo
// track.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/media.h"

// ---------------------------------------------------------------------------------------------
// Moves
//
// In move-file order (items 3 to 7 of a line). kNoMove stands for "none" where a move is
// optional (a beat without an object).

enum Move { kUp, kDown, kLeft, kRight, kAction, kNoMove };
constexpr int kMoves = 5;

Move mirrorMove(Move move);          // left and right exchanged
const char* moveKeyName(Move move);  // "UP", "DOWN", "LEFT", "RIGHT", "SPACE"
const char* moveVerb(Move move);     // "JUMP!", "DUCK!", "GO LEFT!", "GO RIGHT!", "STRIKE!"

// ---------------------------------------------------------------------------------------------
// Pictures

constexpr int kWidth = kPictureWidth;
constexpr int kHeight = kPictureHeight;

// The one colour table of the whole game; every clip carries it.
enum Colour : uint8_t {
  kBlack,
  kWhite,
  kGrey,
  kDarkGrey,
  kLightGrey,
  kRed,
  kDarkRed,
  kOrange,
  kYellow,
  kGold,
  kDarkGold,
  kGreen,
  kDarkGreen,
  kLightGreen,
  kBlue,
  kDarkBlue,
  kLightBlue,
  kSkyBlue,
  kNavy,
  kPurple,
  kDarkPurple,
  kPink,
  kBrown,
  kDarkBrown,
  kTan,
  kSand,
  kCyan,
  kIce,
  kTeal,
  kSkin,
  kTunic,
  kHair,
  kStone,
  kDarkStone,
  kLava,
  kDusk,
  kMoss,
  kNight,
  kBone,
  kSlimeGreen,
  kPraise,  // the texts that tell a move went well, and nothing else
  kColourCount
};

// The colour of each Colour, 0xRRGGBB.
inline constexpr uint32_t kColourRgb[kColourCount] = {
    0x000000,  // black
    0xFFFFFF,  // white
    0x808080,  // grey
    0x404040,  // dark grey
    0xC0C0C0,  // light grey
    0xE02020,  // red
    0x801010,  // dark red
    0xF08020,  // orange
    0xF8E030,  // yellow
    0xE8B820,  // gold
    0x907010,  // dark gold
    0x30B030,  // green
    0x186018,  // dark green
    0x80E070,  // light green
    0x3050D0,  // blue
    0x182870,  // dark blue
    0x80A8F0,  // light blue
    0xA0D0F8,  // sky blue
    0x101838,  // navy
    0x8040B0,  // purple
    0x402058,  // dark purple
    0xF090B0,  // pink
    0x8A5A2A,  // brown
    0x4A2E14,  // dark brown
    0xC89860,  // tan
    0xE0D0A0,  // sand
    0x40E0E0,  // cyan
    0xD8F0F8,  // ice
    0x207070,  // teal
    0xF0C8A0,  // skin
    0x2070D0,  // tunic
    0x603010,  // hair
    0x70747C,  // stone
    0x383A40,  // dark stone
    0xFF5010,  // lava
    0xD86848,  // dusk
    0x587830,  // moss
    0x080C20,  // night
    0xE8E0C8,  // bone
    0x60D040,  // slime
    0x60F0A0,  // praise
};

void fillPalette(uint32_t (&palette)[256]);

struct Picture {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kWidth * kHeight, kBlack);
};

// Drawing primitives; every one clips to the picture.
void fillRect(Picture& p, int x, int y, int w, int h, uint8_t colour);
void fillEllipse(Picture& p, int cx, int cy, int rx, int ry, uint8_t colour);
void fillTriangle(Picture& p, int x0, int y0, int x1, int y1, int x2, int y2, uint8_t colour);
void drawLine(Picture& p, int x0, int y0, int x1, int y1, int thickness, uint8_t colour);
void mirrorPicture(Picture& p);  // left and right exchanged

// The bitmap font: 5x7 glyphs in 6x8 cells, scaled by a whole factor. Capitals, digits and
// a few signs; lower case is drawn as capitals.
constexpr int kGlyphWidth = 6;
int textWidth(const std::string& text, int scale);
void drawText(Picture& p, int x, int y, const std::string& text, int scale, uint8_t colour);
void drawTextCentred(Picture& p, int cx, int y, const std::string& text, int scale, uint8_t colour);

// ---------------------------------------------------------------------------------------------
// Sound
//
// A clip's sound is built in floating point, one value per sample and channel, and turned into
// 8-bit stereo at the end. Sample s of the track is heard with video frame s * 2 / 3675.

constexpr int kSampleRate = 22050;

enum Wave { kSquare, kTriangle, kSine, kNoise, kSaw };

struct Tone {
  double start = 0;     // seconds from the start of the clip
  double length = 0.1;  // seconds
  double freq = 440;    // Hz at the start
  double freqEnd = 0;   // Hz at the end (0: same as freq)
  Wave wave = kSquare;
  double volume = 0.2;  // 0..1
  double pan = 0;       // -1 left .. 1 right
  double attack = 0.005;
  double release = 0.05;
};

struct SoundTrack {
  std::vector<float> left, right;
};

SoundTrack makeTrack(int frames);
void addTone(SoundTrack& track, const Tone& tone);
void swapChannels(SoundTrack& track);
// 8-bit unsigned stereo, exactly 3675 bytes per frame.
std::vector<uint8_t> toPcm(const SoundTrack& track, int frames);

double frameTime(double frame);  // seconds at which a frame starts
double noteFreq(int semitonesFromA4);

// Background music: a short tune built from the seed, looped over [from, to) frames.
struct Tune {
  uint32_t seed = 1;
  int root = -9;  // semitones from A4 of the key's root
  bool minor = false;
  int framesPerBeat = 6;  // 120 beats a minute
  double volume = 0.10;
};
void addMusic(SoundTrack& track, const Tune& tune, int fromFrame, int toFrame);
// Short fixed phrases.
void addFanfare(SoundTrack& track, double at, int root, double volume);
void addSadPhrase(SoundTrack& track, double at, double volume);
void addSparkle(SoundTrack& track, double at, double pan);
void addCueBlip(SoundTrack& track, double at, double pan);

// Sound effects of the hazards; kind is a beat's correct move in the straight world.
void addApproachSound(SoundTrack& track, Move kind, double at);
void addMoveSound(SoundTrack& track, Move kind, double at);
void addDeathSound(SoundTrack& track, Move kind, double at);
