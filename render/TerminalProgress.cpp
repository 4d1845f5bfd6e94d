#include "render/TerminalProgress.h"

#include <unistd.h>

#include <algorithm>

TerminalProgress::TerminalProgress() : out_(isatty(STDERR_FILENO) ? stderr : nullptr) {}

TerminalProgress::TerminalProgress(std::FILE* out) : out_(out) {}

TerminalProgress::~TerminalProgress() {
  if (out_ && shown_) std::fputc('\n', out_);
}

void TerminalProgress::Start(int32_t total) {
  total_ = std::max(total, 0);
  position_ = 0;
  Show(true);
}

bool TerminalProgress::Advance() {
  ++position_;
  Show(false);
  return true;
}

void TerminalProgress::SetText(const char* text) {
  text_ = text ? text : "";
  Show(true);
}

void TerminalProgress::SetPosition(int32_t position, int32_t max) {
  total_ = std::max(max, 0);
  position_ = position;
  Show(false);
}

// Rewrites the line only when the percentage or the text changed, so a walk over many shapes
// costs a few hundred writes at most.
void TerminalProgress::Show(bool force) {
  if (!out_) return;
  int percent = total_ > 0 ? int(std::clamp<int64_t>(position_ * 100 / total_, 0, 100)) : 0;
  if (!force && percent == lastPercent_) return;
  lastPercent_ = percent;
  const char* text = text_.empty() ? "Exporting..." : text_.c_str();
  std::fprintf(out_, "\r%s %3d%%", text, percent);
  std::fflush(out_);
  shown_ = true;
}
