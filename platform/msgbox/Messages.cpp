#include "platform/msgbox/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

void ToStderr(MessageKind, const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

MessageHandler gHandler = &ToStderr;

}  // namespace

void SetMessageHandler(MessageHandler handler) { gHandler = handler ? handler : &ToStderr; }
void ShowError(const std::string& text) { gHandler(MessageKind::kError, text); }
void ShowWarning(const std::string& text) { gHandler(MessageKind::kWarning, text); }
void ShowInfo(const std::string& text) { gHandler(MessageKind::kInfo, text); }

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (n > 0) {
    std::vector<char> buf(size_t(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, again);
    out.assign(buf.data(), size_t(n));
  }
  va_end(again);
  return out;
}

namespace {

std::string gStatus;
StatusHandler gStatusHandler = nullptr;
WaitCursorHandler gWaitHandler = nullptr;
int gWaitDepth = 0;

}  // namespace

void SetStatusHandler(StatusHandler handler) { gStatusHandler = handler; }

void SetStatusText(const std::string& text) {
  gStatus = text;
  if (gStatusHandler) gStatusHandler(gStatus);
}

const std::string& StatusText() { return gStatus; }

void SetWaitCursorHandler(WaitCursorHandler handler) { gWaitHandler = handler; }

void BeginWaitCursor() {
  if (gWaitDepth++ == 0 && gWaitHandler) gWaitHandler(true);
}

void EndWaitCursor() {
  if (gWaitDepth == 0) return;
  if (--gWaitDepth == 0 && gWaitHandler) gWaitHandler(false);
}
