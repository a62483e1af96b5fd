// Start-up of the desktop program as the player sees it: starts PROGRAM in GAME_DIR and watches
// the X display until the main window is on the screen and then until its client area shows the
// title picture. Prints "MAPPED_MS TITLE_MS PID" and leaves the program running.
// Usage: qvk_start_probe PROGRAM GAME_DIR   (DISPLAY names the X server)
// X calls its windows Window, as the platform layer calls the game's window: X's is XWindow here.
#define Window XWindow
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef Window
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/dib_picture.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kWindowTitle = "Quarnvale II";
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 240;
constexpr auto kPollInterval = std::chrono::milliseconds(2);  // light on a machine of 2 cores
constexpr int kSampleStep = 8;         // every 8th pixel of every 8th row is compared
constexpr int kChannelTolerance = 24;  // per colour channel
constexpr double kTitleShare = 0.95;   // of the samples that must match
constexpr double kGiveUpMs = 30000;

// The main window among the top-level windows and their children (a window manager's frames).
XWindow findMainWindow(Display* display, XWindow parent, int depth) {
  XWindow root, up, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
  XWindow found = 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      if (std::strcmp(name, kWindowTitle) == 0) found = children[i];
      XFree(name);
    }
    if (!found && depth < 2) found = findMainWindow(display, children[i], depth + 1);
  }
  if (children) XFree(children);
  return found;
}

bool viewable(Display* display, XWindow window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable &&
         attributes.width >= kClientWidth && attributes.height >= kClientHeight;
}

bool similar(uint32_t a, unsigned long b) {
  for (int shift = 0; shift < 24; shift += 8) {
    int difference = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
    if (std::abs(difference) > kChannelTolerance) return false;
  }
  return true;
}

// Whether the client area (the window's bottom 320 x 240 pixels, under the menu bar) shows the
// title picture: its corner of 319 by 239 pixels stretched to 320 by 240.
bool showsTitle(Display* display, XWindow window, const DecodedPicture& title) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return false;
  int top = attributes.height - kClientHeight;
  XImage* image =
      XGetImage(display, window, 0, top, kClientWidth, kClientHeight, AllPlanes, ZPixmap);
  if (!image) return false;
  int samples = 0, matching = 0;
  for (int y = kSampleStep / 2; y < kClientHeight; y += kSampleStep) {
    for (int x = kSampleStep / 2; x < kClientWidth; x += kSampleStep) {
      int sourceX = x * (title.width - 1) / kClientWidth;
      int sourceY = y * (title.height - 1) / kClientHeight;
      ++samples;
      if (similar(title.pixels[size_t(sourceY) * title.width + sourceX], XGetPixel(image, x, y)))
        ++matching;
    }
  }
  XDestroyImage(image);
  return matching >= kTitleShare * samples;
}

// The window may go away or change between two requests (a window manager reparents it, the
// program maps it again); Xlib's default handler would end the probe. The failed request is
// simply tried again at the next poll.
int ignoreXError(Display*, XErrorEvent*) {
  return 0;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qvk_start_probe PROGRAM GAME_DIR\n");
    return 2;
  }
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  DecodedPicture title;
  if (!findResource("TITLE", &bytes, &size) || !decodeDib(bytes, size, &title)) {
    std::fprintf(stderr, "qvk_start_probe: no title picture\n");
    return 1;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "qvk_start_probe: no X display\n");
    return 1;
  }

  XSetErrorHandler(ignoreXError);

  Clock::time_point start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    // Our standard output is the caller's answer: the program must not hold it open.
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    if (chdir(argv[2]) != 0) _exit(127);
    execl(argv[1], argv[1], static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) return 1;

  // The program may end or never show its window; then there is nothing to time, and a program
  // still running is stopped.
  auto givingUp = [&] {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    if (millisecondsSince(start) <= kGiveUpMs) return false;
    std::fprintf(stderr, "qvk_start_probe: no title picture on the screen in %.0f s\n",
                 kGiveUpMs / 1000);
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    return true;
  };
  XWindow window = 0;
  while (!window || !viewable(display, window)) {
    std::this_thread::sleep_for(kPollInterval);
    if (givingUp()) return 1;
    if (!window) window = findMainWindow(display, DefaultRootWindow(display), 0);
  }
  double mapped = millisecondsSince(start);
  while (!showsTitle(display, window, title)) {
    std::this_thread::sleep_for(kPollInterval);
    if (givingUp()) return 1;
  }
  double titled = millisecondsSince(start);
  std::printf("%.0f %.0f %d\n", mapped, titled, int(pid));
  XCloseDisplay(display);
  return 0;
}
