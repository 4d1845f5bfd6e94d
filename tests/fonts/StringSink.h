// An output sink that collects everything written into a string, for golden-text checks.
#pragma once

#include <cstring>
#include <string>

#include "output/OutputSink.h"

class StringSink : public OutputSink {
 public:
  int32_t Open() override { return 1; }
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void* data, int32_t length) override {
    if (length < 0) return 0;
    text.append(static_cast<const char*>(data), size_t(length));
    return 1;
  }
  int32_t WriteString(const char* s) override {
    if (s) text.append(s, std::strlen(s));
    return 1;
  }
  // Only appending is supported: seeking anywhere but the end fails.
  int32_t Seek(long offset) override { return size_t(offset) == text.size() ? 0 : -1; }
  long Tell() override { return long(text.size()); }

  std::string text;
};
