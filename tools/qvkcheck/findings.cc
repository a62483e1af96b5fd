// The findings of a check, kept in the order found and printed one per line.
#include <cstdio>

#include "qvkcheck.h"

struct Finding {
  std::string file;
  int line;
  std::string text;
  bool isWarning;
};

static std::vector<Finding> findings;

void problem(const std::string& file, int line, const std::string& text) {
  findings.push_back({file, line, text, false});
}

void warning(const std::string& file, int line, const std::string& text) {
  findings.push_back({file, line, text, true});
}

void printFindings() {
  for (const Finding& f : findings) {
    std::string where = f.line > 0 ? f.file + ":" + std::to_string(f.line) : f.file;
    std::printf("%s: %s%s\n", where.c_str(), f.isWarning ? "warning: " : "", f.text.c_str());
  }
}

int problemCount() {
  int count = 0;
  for (const Finding& f : findings) count += !f.isWarning;
  return count;
}

int warningCount() {
  return static_cast<int>(findings.size()) - problemCount();
}
