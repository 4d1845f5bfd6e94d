// Export progress on a terminal, the command line's stand-in for the progress window: one line
// on stderr, rewritten in place ("Exporting bitmap... 42%"), only when stderr is a terminal.
// It never cancels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "output/ProgressDialog.h"

class TerminalProgress : public ProgressDialog {
 public:
  // Writes to stderr when it is a terminal, else nothing.
  TerminalProgress();
  // Writes to `out` (not owned) whatever it is; null writes nothing.
  explicit TerminalProgress(std::FILE* out);
  // Ends the line when anything was shown.
  ~TerminalProgress() override;

  void Start(int32_t total) override;
  bool Advance() override;
  bool Cancelled() const override { return false; }
  void SetText(const char* text) override;
  void SetPosition(int32_t position, int32_t max) override;

 private:
  void Show(bool force);

  std::FILE* out_;
  std::string text_;
  int64_t position_ = 0;
  int64_t total_ = 0;
  int lastPercent_ = -1;
  bool shown_ = false;
};
