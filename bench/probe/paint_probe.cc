// Picture timing as the player sees it, from outside the program: the X server's DAMAGE reports
// on a window tell when each new picture reached it. Optionally a sound file written as it is
// played tells when each frame's sound was heard: SDL's disk audio driver writes each block as
// soon as the callback has mixed it and then waits as long as the block lasts, so a block is
// "heard" from the moment it is written (the program runs with libqvk_flush_writes preloaded,
// so that stdio's buffer does not hold the blocks back).
//
// Usage: qvk_paint_probe WINDOW_ID SECONDS FRAME_MS [SOUND_FILE BYTES_PER_SECOND [LEAD]]
// Prints, for the pictures painted in the next SECONDS:
//   pictures N within5 SHARE median MS spread MS longest MS
//   offset median MS worst MS          (with a sound file: picture minus its sound's start)
// A picture is a burst of damage whose reports follow each other within 2 ms. An interval is
// within5 when it lies within 5 ms of FRAME_MS; the spread is the intervals' standard deviation.
// The offset pairs each picture with the frame whose sound starts nearest to it. The file may
// begin with silence the player wrote before the clip's sound (a device opened a block before
// its first sound); LEAD, the samples of silence the clip's own sound starts with, places the
// clip in the file by its first sounding sample. The file holds stereo samples of 8 bits (44100
// bytes a second) or 16 bits.
#define Window XWindow
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#undef Window
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBurstGapMs = 2;
constexpr double kWithinMs = 5;
constexpr int kPollMs = 1;  // how often the sound file is looked at without X events
constexpr double kSettleMs = 20;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Growth {
  double time;  // ms: when the file was seen to grow
  long from, to;
};

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Bytes of the sound heard at time t: each block is heard from the moment it was written.
// When byte was first heard, or NaN when it never was.
double heardWhen(const std::vector<Growth>& growths, double byte, double bytesPerMs) {
  for (const Growth& g : growths)
    if (byte >= g.from && byte < g.to) return g.time + (byte - g.from) / bytesPerMs;
  return NAN;
}

// Where the clip's sound starts in the file: its first sounding sample less the lead, in bytes;
// 0 when there is no lead or no sounding sample.
long clipStart(const char* soundFile, double bytesPerSecond, long lead) {
  if (lead < 0) return 0;
  std::ifstream file(soundFile, std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  bool eightBits = bytesPerSecond < 60000;
  long sampleBytes = eightBits ? 2 : 4;  // both channels
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == (eightBits ? 0x80 : 0x00)) continue;
    long sample = static_cast<long>(i) / sampleBytes;
    return std::max(0L, (sample - lead) * sampleBytes);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc == 5 || argc > 7) {
    std::fprintf(stderr,
                 "usage: qvk_paint_probe WINDOW_ID SECONDS FRAME_MS [SOUND_FILE BYTES_PER_SECOND "
                 "[LEAD]]\n");
    return 2;
  }
  XWindow window = std::strtoul(argv[1], nullptr, 0);
  double seconds = std::atof(argv[2]);
  double frameMs = std::atof(argv[3]);
  const char* soundFile = argc >= 6 ? argv[4] : nullptr;
  double bytesPerMs = argc >= 6 ? std::atof(argv[5]) / 1000 : 0;
  long lead = argc == 7 ? std::atol(argv[6]) : -1;

  Display* display = XOpenDisplay(nullptr);
  int eventBase = 0, errorBase = 0;
  if (!display || !XDamageQueryExtension(display, &eventBase, &errorBase)) {
    std::fprintf(stderr, "qvk_paint_probe: no X display with DAMAGE\n");
    return 1;
  }
  XDamageCreate(display, window, XDamageReportRawRectangles);
  XSync(display, False);
  // A new damage object first reports the whole window, which is no picture.
  Clock::time_point created = Clock::now();
  while (std::chrono::duration<double, std::milli>(Clock::now() - created).count() < kSettleMs) {
    pollfd settle{ConnectionNumber(display), POLLIN, 0};
    poll(&settle, 1, 1);
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
    }
  }

  std::vector<double> paints;
  std::vector<Growth> growths;
  long soundSize = -1;
  Clock::time_point start = Clock::now();
  pollfd x{ConnectionNumber(display), POLLIN, 0};
  while (msSince(start) < seconds * 1000) {
    poll(&x, 1, kPollMs);
    double now = msSince(start);
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != eventBase + XDamageNotify) continue;
      if (paints.empty() || now - paints.back() > kBurstGapMs) paints.push_back(now);
    }
    struct stat info;
    if (soundFile && stat(soundFile, &info) == 0) {
      if (soundSize >= 0 && info.st_size > soundSize)
        growths.push_back({now, soundSize, static_cast<long>(info.st_size)});
      if (info.st_size < soundSize) growths.clear();  // the output was opened anew
      soundSize = info.st_size;
    }
  }

  std::vector<double> intervals;
  for (size_t i = 1; i < paints.size(); ++i) intervals.push_back(paints[i] - paints[i - 1]);
  if (std::getenv("QVK_PROBE_INTERVALS"))
    for (double interval : intervals) std::fprintf(stderr, "%.1f\n", interval);
  double within = 0, sum = 0, squares = 0, longest = 0;
  for (double interval : intervals) {
    within += std::fabs(interval - frameMs) <= kWithinMs;
    sum += interval;
    longest = std::max(longest, interval);
  }
  double n = static_cast<double>(intervals.size());
  double mean = n > 0 ? sum / n : 0;
  for (double interval : intervals) squares += (interval - mean) * (interval - mean);
  std::printf("pictures %zu within5 %.3f median %.1f spread %.2f longest %.1f\n", paints.size(),
              n > 0 ? within / n : 0, median(intervals), n > 0 ? std::sqrt(squares / n) : 0,
              longest);

  if (soundFile) {
    // When each frame's sound started; each picture is paired with the nearest of them.
    std::vector<double> starts;
    double bytesPerFrame = bytesPerMs * frameMs;
    double first = static_cast<double>(clipStart(soundFile, bytesPerMs * 1000, lead));
    for (double byte = first; !growths.empty() && byte < growths.back().to; byte += bytesPerFrame) {
      double frameStart = heardWhen(growths, byte, bytesPerMs);
      if (!std::isnan(frameStart)) starts.push_back(frameStart);
    }
    std::vector<double> offsets;
    for (double paint : paints) {
      auto next = std::lower_bound(starts.begin(), starts.end(), paint);
      double best = NAN;
      if (next != starts.end()) best = *next;
      if (next != starts.begin() && (std::isnan(best) || paint - *(next - 1) < best - paint))
        best = *(next - 1);
      // Only pictures in the middle of the sound: the first and last frames have no neighbour.
      if (!std::isnan(best) && next != starts.begin() && next != starts.end())
        offsets.push_back(paint - best);
    }
    double worst = 0;
    for (double offset : offsets) worst = std::max(worst, std::fabs(offset));
    std::printf("offset median %.1f worst %.1f\n", median(offsets), worst);
  }
  XCloseDisplay(display);
  return 0;
}
