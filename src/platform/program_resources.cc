// The program's resources: a GResource bundle compiled into the program, each resource under
// "/qvk/" + its name. Tests may put other bytes in place of a resource.
#include <gio/gio.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/headless.h"

extern "C" GResource* qvk_resources_get_resource();
extern "C" void qvk_resources_register_resource();

namespace {

struct Replacement {
  const uint8_t* bytes;
  size_t size;
};

std::mutex resourceLock;
std::map<std::string, GBytes*> loaded;  // kept for the rest of the run
std::map<std::string, Replacement> replaced;

}  // namespace

bool findResource(const char* name, const uint8_t** bytes, size_t* size) {
  static std::once_flag registered;
  std::call_once(registered, qvk_resources_register_resource);
  std::lock_guard<std::mutex> hold(resourceLock);
  if (auto it = replaced.find(name); it != replaced.end()) {
    *bytes = it->second.bytes;
    *size = it->second.size;
    return it->second.bytes != nullptr;
  }
  auto it = loaded.find(name);
  if (it == loaded.end()) {
    std::string path = std::string("/qvk/") + name;
    GBytes* data = g_resource_lookup_data(qvk_resources_get_resource(), path.c_str(),
                                          G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    if (!data) return false;
    it = loaded.emplace(name, data).first;
  }
  gsize length = 0;
  *bytes = static_cast<const uint8_t*>(g_bytes_get_data(it->second, &length));
  *size = length;
  return true;
}

void replaceResource(const char* name, const uint8_t* bytes, size_t size) {
  std::lock_guard<std::mutex> hold(resourceLock);
  replaced[name] = {bytes, size};
}

void restoreResources() {
  std::lock_guard<std::mutex> hold(resourceLock);
  replaced.clear();
}
