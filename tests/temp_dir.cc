#include "temp_dir.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvk-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(file(name), std::ios::binary);
  out << bytes;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool TempDir::exists(const std::string& name) const {
  return std::filesystem::exists(file(name));
}

std::vector<std::string> TempDir::names() const {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    found.push_back(entry.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}
