// The findings of a check, kept in the order found and printed one per line.
#include <cstdio>

#include "qvkcheck.h"

enum class Kind { kProblem, kWarning, kNote };

struct Finding {
  std::string file;
  int line;
  std::string text;
  Kind kind;
};

static std::vector<Finding> findings;

void problem(const std::string& file, int line, const std::string& text) {
  findings.push_back({file, line, text, Kind::kProblem});
}

void warning(const std::string& file, int line, const std::string& text) {
  findings.push_back({file, line, text, Kind::kWarning});
}

void note(const std::string& file, const std::string& text) {
  findings.push_back({file, 0, text, Kind::kNote});
}

void printFindings() {
  for (const Finding& f : findings) {
    std::string where = f.line > 0 ? f.file + ":" + std::to_string(f.line) : f.file;
    const char* kind = f.kind == Kind::kWarning ? "warning: "
                       : f.kind == Kind::kNote  ? "note: "
                                                : "";
    std::printf("%s: %s%s\n", where.c_str(), kind, f.text.c_str());
  }
}

static int count(Kind kind) {
  int n = 0;
  for (const Finding& f : findings) n += f.kind == kind;
  return n;
}

int problemCount() {
  return count(Kind::kProblem);
}

int warningCount() {
  return count(Kind::kWarning);
}
