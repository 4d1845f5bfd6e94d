// Internal problems ("Stack underflow", "Unknown menu command %d") for the Diagnostics window,
// at most 1000 lines, oldest dropped first.
#pragma once

#include <deque>
#include <string>

inline constexpr size_t kDebugLogLines = 1000;

void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
const std::deque<std::string>& DebugLogLines();
void ClearDebugLog();
// Called with each new line (null: nobody). The desktop program shows the lines in a window;
// a plain function, so that every layer may log without knowing who listens.
using DebugLogHandler = void (*)(const std::string& line);
void SetDebugLogHandler(DebugLogHandler handler);
// Also print each new line to standard error (the command line does).
void SetDebugLogEcho(bool echo);
