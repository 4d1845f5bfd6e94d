// Byte sinks the PostScript-family writers write into: a file or the printer spooler.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file/ReplaceFile.h"

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // 1 on success, 0 on failure (after reporting).
  virtual int32_t Open() = 0;
  // 1 when everything written since Open reached its destination, 0 otherwise.
  virtual int32_t Close() = 0;
  // 1 written, 0 not open or failed.
  virtual int32_t WriteBytes(const void* data, int32_t length) = 0;
  virtual int32_t WriteString(const char* text) = 0;
  virtual int32_t Seek(long offset) = 0;  // 0 on success
  virtual long Tell() = 0;
  // Formats the whole text whatever its length, then WriteString.
  virtual int32_t Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// Writes to a temporary file beside the target and renames it over the target only when Close
// finds that every write succeeded, so a failed save leaves the old file untouched.
class FileSink : public OutputSink {
 public:
  explicit FileSink(std::string path = {});
  ~FileSink() override;  // an unclosed sink discards its temporary file

  void SetPath(const std::string& path) { path_ = path; }
  const std::string& path() const { return path_; }
  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return failed_; }

  int32_t Open() override;
  int32_t Close() override;
  int32_t WriteBytes(const void* data, int32_t length) override;
  int32_t WriteString(const char* text) override;
  int32_t Seek(long offset) override;
  long Tell() override;

 private:
  void Discard();

  std::string path_;
  PendingFile pending_;
  FILE* file_ = nullptr;
  bool failed_ = false;
};
