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
