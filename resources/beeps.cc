// The two beeps, synthesised: a bright rising two-tone blip for a right move, and a low buzzy
// falling tone for a wrong one. Both are 8-bit unsigned stereo at 22050 Hz.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "make_resources.h"

namespace {

constexpr double kRate = 22050;
constexpr uint32_t kGoodBeepBytes = 5186;  // 2593 samples, 0.12 s
constexpr uint32_t kBadBeepBytes = 8428;   // 4214 samples, 0.19 s

// A gain from 0 to 1 that rises over attack seconds and falls to 0 over the last release
// seconds of a sound of length seconds.
double envelope(double t, double length, double attack, double release) {
  double rise = std::min(1.0, t / attack);
  double fall = std::clamp((length - t) / release, 0.0, 1.0);
  return rise * fall * fall;
}

uint8_t toSample(double value) {
  return static_cast<uint8_t>(std::clamp(std::lround(128 + value), 1L, 255L));
}

// The sum of the first harmonics of a sawtooth at phase (in turns), weighted by weight(n).
template <typename Weight>
double harmonics(double phase, int count, Weight weight) {
  double sum = 0;
  for (int n = 1; n <= count; ++n) sum += weight(n) * std::sin(2 * std::numbers::pi * n * phase);
  return sum;
}

}  // namespace

Bytes makeGoodBeep() {
  const uint32_t samples = kGoodBeepBytes / 2;
  const double length = samples / kRate;
  const double step = length * 0.4;  // the first tone, then a fifth above it
  Bytes out;
  double phase = 0;
  for (uint32_t i = 0; i < samples; ++i) {
    double t = i / kRate;
    // A short glide between the tones keeps the step free of clicks.
    double glide = std::clamp((t - step) / 0.004, 0.0, 1.0);
    double frequency = 1046.5 + glide * (1568.0 - 1046.5);
    phase += frequency / kRate;
    double tone = harmonics(phase, 3, [](int n) { return n == 1 ? 1.0 : 0.18 / n; });
    double value = 82 * envelope(t, length, 0.003, 0.05) * tone;
    out.push_back(toSample(value));  // left
    out.push_back(toSample(value));  // right
  }
  return makeWaveImage(out, "qvk good beep", "a right move; made by make_resources");
}

Bytes makeBadBeep() {
  const uint32_t samples = kBadBeepBytes / 2;
  const double length = samples / kRate;
  Bytes out;
  double left = 0, right = 0;
  for (uint32_t i = 0; i < samples; ++i) {
    double t = i / kRate;
    double frequency = 196.0 * std::pow(110.0 / 196.0, t / length);  // falls by almost an octave
    // The right channel runs a little sharp, so the two beat against each other: the buzz.
    left += frequency / kRate;
    right += frequency * 1.012 / kRate;
    auto saw = [](int n) { return (n % 2 ? 1.0 : 0.6) / n; };
    double gain = 46 * envelope(t, length, 0.005, 0.08);
    out.push_back(toSample(gain * harmonics(left, 14, saw)));
    out.push_back(toSample(gain * harmonics(right, 14, saw)));
  }
  return makeWaveImage(out, "qvk bad beep", "a wrong move; made by make_resources");
}
