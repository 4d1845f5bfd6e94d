#include "model/DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
std::deque<std::string> gLines;
bool gEcho = false;
DebugLogHandler gHandler = nullptr;
}  // namespace

void DebugLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string line;
  if (n > 0) {
    std::vector<char> buf(size_t(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, again);
    line.assign(buf.data(), size_t(n));
  }
  va_end(again);
  if (gEcho) std::fprintf(stderr, "%s\n", line.c_str());
  gLines.push_back(line);
  if (gHandler) gHandler(line);
  while (gLines.size() > kDebugLogLines) gLines.pop_front();
}

const std::deque<std::string>& DebugLogLines() { return gLines; }
void ClearDebugLog() { gLines.clear(); }
void SetDebugLogHandler(DebugLogHandler handler) { gHandler = handler; }
void SetDebugLogEcho(bool echo) { gEcho = echo; }
