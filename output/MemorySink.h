// A drawing written to memory rather than to a file: what autosave and the desktop clipboard
// hand on.
#pragma once

#include <cstdint>
#include <string>

#include "output/OutputSink.h"

class Drawing;

// Collects everything written into a string. Seek moves within what is written so far, so the
// EPS preview header can be filled in afterwards.
class MemorySink : public OutputSink {
 public:
  int32_t Open() override;
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void* data, int32_t length) override;
  int32_t WriteString(const char* text) override;
  int32_t Seek(long offset) override;
  long Tell() override { return long(position_); }

  std::string& bytes() { return bytes_; }
  bool Failed() const { return failed_; }

 private:
  std::string bytes_;
  bool failed_ = false;
  size_t position_ = 0;
};

// Writes the drawing as a file of `kind` (native or EPS, default export options) into `out`,
// reusing its buffer. `sizeHint` (the size of the last such write) spares the string's regrowth. 1
// when the whole document was written.
int32_t WriteDrawingToMemory(Drawing& drawing, int32_t kind, std::string* out, size_t sizeHint = 0);
