// A temporary directory for a test, with its small files.
#pragma once

#include <string>
#include <vector>

// A directory that exists for the life of the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;  // "" when missing
  bool exists(const std::string& name) const;
  std::vector<std::string> names() const;  // sorted

 private:
  std::string path_;
};
