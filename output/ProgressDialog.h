// The progress window of exports, as the export walk sees it. The GUI implements it with a
// modeless window; the command line with a line on a terminal.
#pragma once

#include <cstdint>

class ProgressDialog {
 public:
  virtual ~ProgressDialog() = default;
  // Position 0 of `total` steps.
  virtual void Start(int32_t total) = 0;
  // One step more; false once the user has cancelled.
  virtual bool Advance() = 0;
  virtual bool Cancelled() const = 0;
};
