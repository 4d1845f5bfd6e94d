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
  // The line above the bar ("Exporting bitmap..."), and a position of `max` steps for work that
  // is not one step per shape (the bitmap reduction). Progress without text keeps the defaults.
  virtual void SetText(const char* /*text*/) {}
  virtual void SetPosition(int32_t /*position*/, int32_t /*max*/) {}
};
