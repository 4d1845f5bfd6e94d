// Internal problems ("Stack underflow", "Unknown menu command %d") for the Diagnostics window,
// at most 1000 lines, oldest dropped first.
#pragma once

#include <deque>
#include <string>

inline constexpr size_t kDebugLogLines = 1000;

void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
const std::deque<std::string>& DebugLogLines();
void ClearDebugLog();
// Also print each new line to standard error (the command line does).
void SetDebugLogEcho(bool echo);
