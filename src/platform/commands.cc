// Commands of the window, one at a time. The thread that runs a command runs what was held
// during it before it lets go, so nothing that arrives later can overtake held work.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace {

std::mutex lock;
std::condition_variable done;  // a thread has let go: no command runs
bool running = false;
std::thread::id runner;    // the thread that runs the command, while one runs
std::deque<Command> held;  // in the order they came

// Runs command and then everything held, with running set; lets go at the end.
void runAndRelease(std::unique_lock<std::mutex>& hold, Command command) {
  for (;;) {
    hold.unlock();
    command();
    hold.lock();
    if (held.empty()) break;
    command = std::move(held.front());
    held.pop_front();
  }
  running = false;
  done.notify_all();
}

}  // namespace

void runCommand(Command command) {
  std::unique_lock<std::mutex> hold(lock);
  if (running && runner == std::this_thread::get_id()) {
    held.push_back(std::move(command));
    return;
  }
  done.wait(hold, [] { return !running; });
  running = true;
  runner = std::this_thread::get_id();
  runAndRelease(hold, std::move(command));
}

bool runCommandIfIdle(Command command) {
  std::unique_lock<std::mutex> hold(lock);
  if (running) return false;
  running = true;
  runner = std::this_thread::get_id();
  runAndRelease(hold, std::move(command));
  return true;
}
