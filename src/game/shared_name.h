// Shared names: the current scene and the missed scene are written by the game thread while
// Save reads them on the window thread; each copy in or out is one short hold of the name's own
// lock, so a reader never sees half a name.
#pragma once

#include <mutex>

#include "media/media.h"

struct SharedName {
  mutable std::mutex lock;
  char text[kClipNameSize] = {};
};

void writeName(SharedName& name, const char* text);  // truncates to kClipNameSize - 1
void readName(const SharedName& name, char (&out)[kClipNameSize]);
bool nameIsEmpty(const SharedName& name);
bool nameEquals(const SharedName& name, const char* text);
