// Helpers shared by the test programs.
#pragma once

#include <string>
#include <vector>

#include "platform/msgbox/Messages.h"

// A fresh, empty directory under the build tree for one test.
std::string TestWorkDir(const std::string& name);
// Whole contents of a file ("" when it cannot be read).
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Runs a shell command; its exit status.
int RunCommand(const std::string& command);

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The CR LF-ended lines of a text, without their ends; a last line without one is marked so.
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string::npos) return lines.push_back(text.substr(start) + "<no CR LF>"), lines;
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Several fields compared as one list, so one check line covers a whole record.
template <typename... T>
std::vector<double> V(T... values) {
  return {double(values)...};
}

// Collects the message boxes shown while it lives (all kinds, or only errors).
class MessageLog {
 public:
  explicit MessageLog(bool errorsOnly = false);
  ~MessageLog();
  std::vector<std::string>& texts;
};
