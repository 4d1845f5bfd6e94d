// Message boxes titled "Error", "Warning" and "Ondara". The GUI installs a handler that shows
// them; without one they go to standard error with the same text.
#pragma once

#include <string>

enum class MessageKind { kError, kWarning, kInfo };

using MessageHandler = void (*)(MessageKind kind, const std::string& text);

void SetMessageHandler(MessageHandler handler);
void ShowError(const std::string& text);
void ShowWarning(const std::string& text);
void ShowInfo(const std::string& text);
// printf-style text for the message functions.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The status line's message. Any layer may set it; the window installs a handler that draws
// it, and without one the text is only kept.
using StatusHandler = void (*)(const std::string& text);
void SetStatusHandler(StatusHandler handler);
void SetStatusText(const std::string& text);
const std::string& StatusText();
// The wait cursor while long work runs (redraws, imports); nested calls count.
using WaitCursorHandler = void (*)(bool on);
void SetWaitCursorHandler(WaitCursorHandler handler);
void BeginWaitCursor();
void EndWaitCursor();
