// The headless main window: records what the game asks of it and returns at once.
#include "platform/headless.h"

void HeadlessWindow::showMessage(const char* text, const char* caption, bool warning) {
  {
    std::lock_guard<std::mutex> hold(lock);
    messages.push_back({text, caption, warning});
  }
  if (onMessage) onMessage(text, caption);
}

void HeadlessWindow::showPicture(const uint32_t* pixels, int width, int height) {
  std::lock_guard<std::mutex> hold(lock);
  lastPicture.assign(pixels, pixels + static_cast<size_t>(width) * height);
  ++pictures;
}

void HeadlessWindow::invalidate() {
  std::lock_guard<std::mutex> hold(lock);
  ++invalidations;
}

void HeadlessWindow::enterFullScreen() {
  std::lock_guard<std::mutex> hold(lock);
  ++fullScreens;
}

void HeadlessWindow::returnToWindowed() {
  std::lock_guard<std::mutex> hold(lock);
  ++returnsToWindowed;
}

void HeadlessWindow::resetToWindowed() {
  std::lock_guard<std::mutex> hold(lock);
  ++resetsToWindowed;
}

void HeadlessWindow::runOnWindowThread(void (*task)()) {
  task();
}

void HeadlessWindow::showStatus(const char* text) {
  std::lock_guard<std::mutex> hold(lock);
  status = text;
}

std::string HeadlessWindow::statusShown() {
  std::lock_guard<std::mutex> hold(lock);
  return status;
}

std::vector<RecordedMessage> HeadlessWindow::messagesSeen() {
  std::lock_guard<std::mutex> hold(lock);
  return messages;
}

void HeadlessWindow::clear() {
  std::lock_guard<std::mutex> hold(lock);
  messages.clear();
  lastPicture.clear();
  pictures = invalidations = fullScreens = returnsToWindowed = resetsToWindowed = 0;
  status.clear();
}
