// The two display modes and painting. Windowed: the picture under the menu bar at (100, 100),
// 320 by 240 times the chosen size. Full screen: the picture stretched over the whole screen (or
// kept at 4:3 between black bars), no menu, no border; the screen's resolution is never changed.
// While nothing plays the client area shows the title picture; while a game or the demo runs it
// shows the newest frame.
#include <glib-unix.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "shell/shell.h"

// ---------------------------------------------------------------------------------------------
// Display modes

void enterFullScreenNow() {
  if (!shell.mainWindow) return;
  gtk_widget_hide(shell.menuBar);
  shell.menuSaved = true;
  gtk_window_fullscreen(GTK_WINDOW(shell.mainWindow));
  gtk_window_present(GTK_WINDOW(shell.mainWindow));
  invalidateClient();
  rememberFullScreen(true);
}

// Menu bar back, border back, windowed geometry.
static void restoreWindowed() {
  if (shell.menuSaved) {
    gtk_widget_show(shell.menuBar);
    shell.menuSaved = false;
  }
  gtk_window_unfullscreen(GTK_WINDOW(shell.mainWindow));
  placeWindowed();
  rememberFullScreen(false);
}

void returnToWindowedNow() {
  if (!shell.mainWindow) return;  // handed over from the game thread after the window closed
  restoreWindowed();
  invalidateClient();
}

void resetToWindowedNow() {
  if (!shell.mainWindow) return;
  g_usleep(kStopSettleMs * 1000);
  closeDrawingResources();
  openDrawingResources();
  restoreWindowed();
  invalidateClient();
}

void windowedCommand() {
  if (shell.mainWindow) placeWindowed();
}

// ---------------------------------------------------------------------------------------------
// Drawing resources

void openDrawingResources() {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  if (findResource("TITLE", &bytes, &size)) decodeDib(bytes, size, &shell.title);
}

void closeDrawingResources() {
  shell.title = DecodedPicture{};
}

// ---------------------------------------------------------------------------------------------
// The newest picture

static void paintClient(cairo_t* cr);

// The client area is painted at once, outside GTK's redraw of the window, which would take a
// turn of its frame clock and go through every widget in the area, twelve times a second.
static gboolean repaintNow(gpointer) {
  shell.repaintQueued = false;
  GtkWidget* area = shell.clientArea;
  if (!area || !gtk_widget_is_drawable(area)) return G_SOURCE_REMOVE;
  GdkWindow* window = gtk_widget_get_window(area);
  cairo_rectangle_int_t whole{0, 0, gtk_widget_get_allocated_width(area),
                              gtk_widget_get_allocated_height(area)};
  cairo_region_t* region = cairo_region_create_rectangle(&whole);
  GdkDrawingContext* context = gdk_window_begin_draw_frame(window, region);
  paintClient(gdk_drawing_context_get_cairo_context(context));
  gdk_window_end_draw_frame(window, context);
  cairo_region_destroy(region);
  return G_SOURCE_REMOVE;
}

// A repaint is asked for through an eventfd that the window thread's main loop watches. Writing
// it takes none of the main loop's locks, so the game thread never holds up a paint or waits for
// one, and nothing is allocated per picture, as a new idle source each time would be.
static int repaintSignal = -1;

static gboolean onRepaintSignal(gint fd, GIOCondition, gpointer) {
  uint64_t requests = 0;
  ssize_t taken = read(fd, &requests, sizeof requests);  // empty after a spurious wake-up
  (void)taken;
  if (shell.repaintQueued) repaintNow(nullptr);
  return G_SOURCE_CONTINUE;
}

void watchRepaintRequests() {
  if (repaintSignal >= 0) return;
  repaintSignal = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (repaintSignal >= 0) g_unix_fd_add(repaintSignal, G_IO_IN, onRepaintSignal, nullptr);
}

void invalidateClient() {
  // One pending repaint at a time, however many frames arrive before it runs.
  if (shell.repaintQueued.exchange(true)) return;
  uint64_t one = 1;
  if (repaintSignal < 0 || write(repaintSignal, &one, sizeof one) != sizeof one)
    g_idle_add_full(G_PRIORITY_DEFAULT, repaintNow, nullptr, nullptr);
}

void storePicture(const uint32_t* pixels, int width, int height, InputCode guide) {
  if (width <= 0 || height <= 0) return;
  {
    std::lock_guard<std::mutex> store(shell.storeLock);
    shell.storing.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
    shell.storing.width = width;
    shell.storing.height = height;
    shell.storingGuide = guide;
    std::lock_guard<std::mutex> hold(shell.pictureLock);
    std::swap(shell.storing, shell.newest);
    std::swap(shell.storingGuide, shell.newestGuide);
    shell.newestUnpainted = true;
    shell.pictureShown = true;
  }
  invalidateClient();
}

// ---------------------------------------------------------------------------------------------
// Painting

// Where the picture goes: the whole client area, or with Keep 4:3 the largest 4:3 rectangle in
// its middle, with black bars beside or above and below it.
struct PictureRect {
  int x = 0, y = 0, width = 0, height = 0;
};

static PictureRect pictureRect() {
  PictureRect rect{0, 0, shell.clientWidth, shell.clientHeight};
  if (!shell.settings.keepAspect) return rect;
  if (rect.width * kPictureHeight > rect.height * kPictureWidth)
    rect.width = rect.height * kPictureWidth / kPictureHeight;
  else
    rect.height = rect.width * kPictureHeight / kPictureWidth;
  rect.x = (shell.clientWidth - rect.width) / 2;
  rect.y = (shell.clientHeight - rect.height) / 2;
  return rect;
}

// Stretches the top-left sourceWidth x sourceHeight of 32-bit pixels over the picture's
// rectangle, each pixel a block of screen pixels (the pictures want no smoothing), black around
// it. False when the pixels cannot be painted.
static bool paintStretched(cairo_t* cr, const uint32_t* pixels, int width, int height,
                           int sourceWidth, int sourceHeight) {
  int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
  if (width <= 0 || height <= 0 || stride != width * 4) return false;
  PictureRect rect = pictureRect();
  if (rect.width != shell.clientWidth || rect.height != shell.clientHeight) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
  }
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(pixels)), CAIRO_FORMAT_RGB24, width,
      height, stride);
  cairo_save(cr);
  cairo_translate(cr, rect.x, rect.y);
  cairo_scale(cr, static_cast<double>(rect.width) / sourceWidth,
              static_cast<double>(rect.height) / sourceHeight);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);  // nothing under the picture shows through
  cairo_rectangle(cr, 0, 0, sourceWidth, sourceHeight);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_surface_destroy(surface);
  return true;
}

// The title picture: its corner of 319 by 239 pixels is stretched over the picture's rectangle,
// so one column and one row of it are never shown.
static bool paintTitle(cairo_t* cr) {
  const DecodedPicture& title = shell.title;
  return paintStretched(cr, title.pixels.data(), title.width, title.height, title.width - 1,
                        title.height - 1);
}

// The newest picture, with the move guide's mark over it while the guide is on; false while the
// game or demo that starts has shown none yet, or when it cannot be painted.
static bool paintNewestPicture(cairo_t* cr) {
  {
    std::lock_guard<std::mutex> hold(shell.pictureLock);
    if (!shell.pictureShown) return false;
    if (shell.newestUnpainted) {
      std::swap(shell.newest, shell.painted);
      std::swap(shell.newestGuide, shell.paintedGuide);
    }
    shell.newestUnpainted = false;
  }
  const DecodedPicture& picture = shell.painted;
  if (!paintStretched(cr, picture.pixels.data(), picture.width, picture.height, picture.width,
                      picture.height))
    return false;
  if (shell.moveGuideOn && shell.paintedGuide != kInputNone) {
    PictureRect rect = pictureRect();
    paintMoveGuide(cr, rect.x, rect.y, rect.width, rect.height, shell.paintedGuide);
  }
  return true;
}

// The newest picture while a game or the demo runs, else the title. The title stays on the
// window (and is painted again) until the game or demo that starts shows its first picture. The
// picture covers the whole client area; black only where there is none.
static void paintClient(cairo_t* cr) {
  bool playing = game.demoActive || game.gameActive;
  if (!playing) {
    std::lock_guard<std::mutex> hold(shell.pictureLock);
    shell.pictureShown = false;
  }
  if ((!playing || !paintNewestPicture(cr)) && !paintTitle(cr)) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
  }
}

gboolean onClientDraw(GtkWidget*, cairo_t* cr, gpointer) {
  paintClient(cr);
  return TRUE;
}

void onClientSize(GtkWidget*, GdkRectangle* allocation, gpointer) {
  shell.clientWidth = allocation->width;
  shell.clientHeight = allocation->height;
}
