// qvkgen: writes the sample game, every scene with its move and hotspot files, every clip the
// scenes name and the clips of the scene flow, all drawn and composed here.
//
// Contents
//   (primitives.h) the five moves, pictures and the bitmap font, the sound synthesizer
//   Scene design  the scenes as data, the timing every scene follows, the mirrored variants
//   Drawing       the hero, the hazards, the objects, the cues, the backgrounds
//   Clips         rendering scenes, outcome clips and the game's own clips into AviClips
//   Game files    move and hotspot files, the list of everything to write
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "media/media.h"
#include "primitives.h"

// ---------------------------------------------------------------------------------------------
// Scene design
//
// A scene is a walk through one place; each beat is one move window. A hazard comes in during
// the 20 frames before the beat's trigger frame, the cue shows during the window (the trigger
// frame and the 11 after it, on the picture), and then the move made is acted out. A beat may
// also offer an object, taken with another move.
//
// The verdict is taken as the window closes, with the window's next picture (phase 12) on
// screen. A verdict that opens a clip holds that picture for a second, in silence, while the
// clip opens, and a clip opened at an odd frame plays the sound one frame ahead of the picture.
// So nothing before phase 14 tells how the move went: not the hero, not the hazard, not a text,
// not a sound. The outcome shows from kOutcomePhase on, which only a player who passed sees.

constexpr int kFirstTrigger = 40;    // the first window opens late enough that no short clip
                                     // ever reaches it
constexpr int kApproachFrames = 20;  // the hazard is in sight this long before the window
constexpr int kCueFrames = 12;       // the window, in picture frames
constexpr int kUntoldFrames = 2;     // after the window: the held picture and the frame after
constexpr int kOutcomePhase = kCueFrames + kUntoldFrames;  // the move made shows from here
constexpr int kResolveFrames = 12;                         // the move, acted out from kOutcomePhase
constexpr int kBeatFrames = 32;       // a beat holds the hero from its trigger this long
constexpr int kCheckpointDelay = 28;  // a checkpoint this long after its beat's trigger
constexpr int kCheckpointPause = 14;  // extra rest after a checkpoint before the next hazard
constexpr int kOutroFrames = 40;      // the scene runs on this long after its last trigger
constexpr int kClipFrames = 20;       // death, object, lives and missed clips
constexpr int kGameOverFrames = 30;   // game over
// The last second of a clip is not played at its pace: with the sound clock the player draws
// its frames in a blink once the sound runs out, then holds the second-to-last frame while the
// next clip opens; with the frame timer it never draws them. So a clip has said all it says
// before its last kUnseenTail frames, and those show how it ends.
constexpr int kUnseenTail = kCacheSlots;
constexpr int kCountFrames = 10;  // one number of the continue offer's count
constexpr int kContinueFrames = 3 * kCountFrames + kUnseenTail;
constexpr int kCreditsFrames = 216;
constexpr int kDemoFrames = 216;

// How a theme draws its hazards.
enum RollStyle { kBoulder, kBarrel, kLog, kSnowball, kSkull };
enum FlyStyle { kArrow, kBat, kFireball, kShard, kCrow };
enum FallStyle { kRock, kChandelier, kIcicle, kBlock, kBranch };
enum MonsterStyle { kGoblin, kSlime, kTroll, kSkeleton, kGolem, kDragon };
enum Decor { kTowers, kTrees, kStalactites, kWaves, kPillars, kIceSpikes, kStars, kLavaGlow };

struct Theme {
  uint8_t sky[3];  // bands from the top
  uint8_t far;     // hills or walls
  uint8_t ground;
  uint8_t groundEdge;
  uint8_t decor;  // colour of the scrolling decorations
  Decor decorKind;
  RollStyle roll;
  FlyStyle fly;
  FallStyle fall;
  MonsterStyle monster;
  uint8_t hazard;  // main colour of the hazards
  uint8_t panel;   // bottom panel colour
  Tune tune;
};

struct Beat {
  Move move;                // the correct move
  Move object = kNoMove;    // the move that takes this beat's object
  bool checkpoint = false;  // a checkpoint follows this beat
};

struct SceneDesign {
  int number;  // 1..8
  const char* title;
  int spacing;  // frames from one trigger to the next
  Theme theme;
  std::vector<Beat> beats;
};

// The eight scene designs, seq01 to seq08.
const std::vector<SceneDesign>& sceneDesigns();

// A scene as written: a design, shown straight (seq0N) or mirrored (seq1N).
struct Scene {
  const SceneDesign* design;
  std::string base;  // "seq03", "seq13"
  bool mirrored;

  int beats() const { return static_cast<int>(design->beats.size()); }
  Move move(int beat) const;             // the correct move, as the player sees this variant
  Move object(int beat) const;           // kNoMove when the beat has no object
  int trigger(int beat) const;           // picture frame at which the beat's window opens
  int length() const;                    // frames of the scene's AVI file
  std::vector<int> checkpoints() const;  // checkpoint frames, ascending
  // The death clips: one per kind of hazard (its correct move, unmirrored) in order of first
  // appearance; deathKind(k) is the move of clip d(k+1).
  int deathClips() const;
  Move deathKind(int clip) const;
  int deathClipOf(int beat) const;  // clip index 0.. of the beat's hazard
  // Object clips t1, t2...: the beat of each.
  std::vector<int> objectBeats() const;
};

// All fourteen scenes: seq01..seq08, then seq12..seq17 (mirrors of seq02..seq07).
std::vector<Scene> allScenes();

// ---------------------------------------------------------------------------------------------
// Drawing
//
// The world is drawn as a straight scene (hazards come from the right); mirrored variants flip
// the world and then draw their texts, so that writing stays readable.

constexpr int kGroundY = 176;   // the hero's feet
constexpr int kHeroX = 100;     // where the hero stands
constexpr int kDodgeStep = 45;  // how far he steps out from under a weight
constexpr int kTopBar = 14;     // height of the title bar
constexpr int kPanelY = 206;    // top of the bottom panel

enum Pose { kWalkA, kWalkB, kStand, kJump, kDuck, kStrike, kReach, kFallen, kFlat, kBuried };
void drawHero(Picture& p, int x, int feetY, Pose pose);

void drawBackground(Picture& p, const Theme& theme, int scroll);
void drawRoller(Picture& p, const Theme& theme, int x, int frame);
void drawFlyer(Picture& p, const Theme& theme, int x, int y, int frame);
void drawFaller(Picture& p, const Theme& theme, int x, int bottomY, bool broken);
void drawShadow(Picture& p, int x, int width);
void drawMonster(Picture& p, const Theme& theme, int x, int frame, bool lunging);
void drawPoof(Picture& p, int x, int y, int size);
void drawObject(Picture& p, Move takenWith, int x, int y, int frame);
void drawGem(Picture& p, int x, int y, int half);
void drawSafeSpot(Picture& p, int x, int frame);

void drawArrow(Picture& p, Move move, int cx, int cy, int size, uint8_t colour);
void drawActionBurst(Picture& p, int cx, int cy, int size, uint8_t colour);
void drawCue(Picture& p, Move move, int cx, int cy, int size, uint8_t colour);
void drawTitleBar(Picture& p, const std::string& left, const std::string& right);
void drawPanel(Picture& p, uint8_t colour);

// Where a beat's object lies, straight world, by the move that takes it.
void objectPlace(Move takenWith, int* x, int* y);

// Around one beat. Phases count picture frames from the beat's trigger frame; d counts frames
// of a death clip. kind is the beat's correct move in the straight world.
struct HeroState {
  int x;
  int lift;  // pixels above the ground (negative: up)
  Pose pose;
};
void drawHazard(Picture& p, const Theme& theme, Move kind, int phase, int frame);
HeroState heroDuringBeat(Move kind, int phase, int frame);
void drawHazardFailing(Picture& p, const Theme& theme, Move kind, int d, int frame);
HeroState heroFailing(Move kind, int d);
std::string hazardWarning(const Theme& theme, Move kind);  // "A BAT FLIES AT YOU!"
const char* deathWord(Move kind);                          // "CRUSHED!"

// ---------------------------------------------------------------------------------------------
// Clips

AviClip newClip();
// Appends a frame; the picture is copied.
void addFrame(AviClip& clip, const Picture& picture);

// A scene's frames and sound, also for the demo, which shows a piece of the first scene.
std::vector<int> sceneScroll(const Scene& scene);  // how far the world has moved, per frame
void drawSceneFrame(Picture& p, const Scene& scene, const std::vector<int>& scroll, int frame);
SoundTrack sceneSound(const Scene& scene);

AviClip renderScene(const Scene& scene);
AviClip renderDeathClip(const Scene& scene, int clip);
AviClip renderObjectClip(const Scene& scene, int object);
AviClip renderLivesClip(int lives);
AviClip renderContinueClip();
AviClip renderGameOverClip();
AviClip renderMissedClip();
AviClip renderCreditsClip();
AviClip renderDemoClip();

// ---------------------------------------------------------------------------------------------
// Game files

std::string moveFileText(const Scene& scene);     // CR LF lines
std::string hotspotFileText(const Scene& scene);  // CR LF lines

// One file of the game: its name and either its text or how to render its clip.
struct GameFile {
  std::string name;
  std::string text;
  std::function<AviClip()> render;
};
std::vector<GameFile> gameFiles(const std::vector<Scene>& scenes);
