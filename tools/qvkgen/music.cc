// A small synthesizer: tones with a straight-line envelope and pitch glide, mixed into a stereo
// track and turned into 8-bit sound; and the game's music, tunes built from a seed.
#include <algorithm>
#include <cmath>

#include "qvkgen.h"

static const double kPi = 3.14159265358979323846;

// Sound of n frames: 3675 bytes, 1837.5 stereo samples, per frame; clips have even lengths.
static int samplesFor(int frames) {
  return frames * kSoundBytesPerFrame / kBytesPerSample;
}

SoundTrack makeTrack(int frames) {
  SoundTrack track;
  track.left.assign(samplesFor(frames), 0.0f);
  track.right.assign(samplesFor(frames), 0.0f);
  return track;
}

double frameTime(double frame) {
  return frame / kFramesPerSecond;
}

double noteFreq(int semitonesFromA4) {
  return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

static double waveValue(Wave wave, double phase, uint32_t& noise, double& held, double& lastPhase) {
  double cycle = phase - std::floor(phase);
  switch (wave) {
    case kSquare: return cycle < 0.5 ? 1.0 : -1.0;
    case kTriangle: return cycle < 0.5 ? 4 * cycle - 1 : 3 - 4 * cycle;
    case kSine: return std::sin(2 * kPi * cycle);
    case kSaw: return 2 * cycle - 1;
    case kNoise:
      // A new random value every half period: noise with a pitch.
      if (std::floor(phase * 2) != std::floor(lastPhase * 2)) {
        noise = noise * 1664525u + 1013904223u;
        held = ((noise >> 8) & 0xFFFF) / 32767.5 - 1.0;
      }
      lastPhase = phase;
      return held;
  }
  return 0;
}

void addTone(SoundTrack& track, const Tone& tone) {
  const int total = static_cast<int>(track.left.size());
  const int first = static_cast<int>(std::lround(tone.start * kSampleRate));
  const int count = static_cast<int>(std::lround(tone.length * kSampleRate));
  const double endFreq = tone.freqEnd > 0 ? tone.freqEnd : tone.freq;
  const double leftGain = std::min(1.0, 1.0 - tone.pan), rightGain = std::min(1.0, 1.0 + tone.pan);
  uint32_t noise = static_cast<uint32_t>(first) * 2654435761u + 12345u;
  double held = 0, lastPhase = -1, phase = 0;
  for (int i = 0; i < count; ++i) {
    int s = first + i;
    double t = double(i) / kSampleRate;
    double freq = tone.freq + (endFreq - tone.freq) * (double(i) / std::max(count, 1));
    phase += freq / kSampleRate;
    if (s < 0 || s >= total) continue;
    double envelope = 1.0;
    if (t < tone.attack) envelope = t / tone.attack;
    double left = tone.length - t;
    if (left < tone.release) envelope = std::min(envelope, left / tone.release);
    double v = tone.volume * envelope * waveValue(tone.wave, phase, noise, held, lastPhase);
    track.left[s] += static_cast<float>(v * leftGain);
    track.right[s] += static_cast<float>(v * rightGain);
  }
}

void swapChannels(SoundTrack& track) {
  std::swap(track.left, track.right);
}

std::vector<uint8_t> toPcm(const SoundTrack& track, int frames) {
  std::vector<uint8_t> bytes(static_cast<size_t>(frames) * kSoundBytesPerFrame, 128);
  size_t samples = std::min(track.left.size(), bytes.size() / 2);
  for (size_t s = 0; s < samples; ++s) {
    auto quantise = [](float v) {
      long q = std::lround(128.0 + 127.0 * std::clamp(double(v), -1.0, 1.0));
      return static_cast<uint8_t>(std::clamp(q, 0L, 255L));
    };
    bytes[2 * s] = quantise(track.left[s]);
    bytes[2 * s + 1] = quantise(track.right[s]);
  }
  return bytes;
}

// ---------------------------------------------------------------------------------------------
// Music

static const int kMajorScale[5] = {0, 2, 4, 7, 9};  // pentatonic: every note fits every chord
static const int kMinorScale[5] = {0, 3, 5, 7, 10};
static const int kMajorChords[4] = {0, 9, 5, 7};  // I vi IV V
static const int kMinorChords[4] = {0, 8, 5, 7};  // i VI iv v

void addMusic(SoundTrack& track, const Tune& tune, int fromFrame, int toFrame) {
  const int* scale = tune.minor ? kMinorScale : kMajorScale;
  const int* chords = tune.minor ? kMinorChords : kMajorChords;
  // The tune: 16 eighth notes over two bars, a walk up and down the scale with rests.
  uint32_t random = tune.seed * 2654435761u + 7;
  auto next = [&random](int n) {
    random = random * 1103515245u + 12345u;
    return static_cast<int>((random >> 16) % n);
  };
  int melody[16], degree = 5;
  for (int& note : melody) {
    degree = std::clamp(degree + next(5) - 2, 0, 10);
    note = next(6) == 0 ? -1 : degree;  // -1: a rest
  }

  const int eighth = tune.framesPerBeat / 2;
  for (int f = fromFrame, step = 0; f + eighth <= toFrame; f += eighth, ++step) {
    double at = frameTime(f);
    int bar = (step / 8) % 4;
    int chord = tune.root + chords[bar];
    int note = melody[step % 16];
    if (note >= 0) {
      int pitch = tune.root + 12 + scale[note % 5] + 12 * (note / 5);
      addTone(track, {at, frameTime(eighth) * 0.9, noteFreq(pitch), 0, kSquare, tune.volume * 0.6,
                      0.15, 0.005, 0.04});
    }
    if (step % 4 == 0)  // the bass on every second beat
      addTone(track, {at, frameTime(tune.framesPerBeat * 2) * 0.95, noteFreq(chord - 12), 0,
                      kTriangle, tune.volume * 1.6, 0, 0.005, 0.08});
    if (step % 4 == 2)  // a soft tick between
      addTone(track, {at, 0.03, 3000, 0, kNoise, tune.volume * 0.5, 0, 0.001, 0.02});
  }
}

void addFanfare(SoundTrack& track, double at, int root, double volume) {
  const int steps[] = {0, 4, 7, 12};
  for (int i = 0; i < 4; ++i)
    addTone(track, {at + i * 0.12, i == 3 ? 0.5 : 0.12, noteFreq(root + 12 + steps[i]), 0, kSquare,
                    volume, 0, 0.005, 0.05});
  addTone(track, {at, 0.86, noteFreq(root), 0, kTriangle, volume, 0, 0.005, 0.1});
}

void addSadPhrase(SoundTrack& track, double at, double volume) {
  const int steps[] = {3, 2, 0, -2, -4};
  for (int i = 0; i < 5; ++i)
    addTone(track, {at + i * 0.25, i == 4 ? 0.8 : 0.24, noteFreq(steps[i]), 0, kTriangle, volume, 0,
                    0.01, 0.08});
}

void addSparkle(SoundTrack& track, double at, double pan) {
  for (int i = 0; i < 6; ++i)
    addTone(track, {at + i * 0.05, 0.12, noteFreq(15 + 4 * (i % 3) + 12 * (i / 3)), 0, kSine, 0.22,
                    pan, 0.002, 0.08});
}

void addCueBlip(SoundTrack& track, double at, double pan) {
  addTone(track, {at, 0.06, 1320, 0, kSquare, 0.12, pan, 0.002, 0.02});
  addTone(track, {at + 0.08, 0.06, 1760, 0, kSquare, 0.12, pan, 0.002, 0.02});
}
