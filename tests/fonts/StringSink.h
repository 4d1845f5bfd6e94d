// An output sink that collects everything written into a string, for golden-text checks; it
// seeks within what was written, as the TIFF writer needs.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "output/OutputSink.h"

class StringSink : public OutputSink {
 public:
  int32_t Open() override { return 1; }
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void* data, int32_t length) override {
    if (length < 0) return 0;
    pos = std::min(pos, text.size());  // a test may have cleared the text
    text.replace(pos, std::min(text.size() - pos, size_t(length)), static_cast<const char*>(data),
                 size_t(length));
    pos += size_t(length);
    return 1;
  }
  int32_t WriteString(const char* s) override {
    return s ? WriteBytes(s, int32_t(std::strlen(s))) : 1;
  }
  int32_t Seek(long offset) override {
    if (offset < 0 || size_t(offset) > text.size()) return -1;
    pos = size_t(offset);
    return 0;
  }
  long Tell() override { return long(pos); }

  std::string text;
  size_t pos = 0;
};
