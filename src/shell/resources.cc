// The program's built-in files, compiled into it from resources/ at build time.
#include "shell/shell.h"

GBytes* findShellResource(const char* name) {
  gchar* path = g_strconcat("/qvk/shell/", name, nullptr);
  GBytes* bytes = g_resources_lookup_data(path, G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
  g_free(path);
  return bytes;
}
