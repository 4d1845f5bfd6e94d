// The printer sink: on a PostScript printer the writers' bytes go to the spooler as one raw job,
// gathered in an 8192-byte buffer; on any other printer the drawing is painted instead and the
// sink takes no bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "output/OutputSink.h"
#include "platform/spooler/Spooler.h"

inline constexpr const char kPrintDocumentName[] = "Ondara Draw Drawing";

class PrinterSink : public OutputSink {
 public:
  static constexpr int32_t kBufferSize = 8192;

  // Prints through `spooler` (not owned; it must outlive the sink).
  explicit PrinterSink(Spooler* spooler);
  ~PrinterSink() override;  // a sink left open withdraws its job
  PrinterSink(const PrinterSink&) = delete;
  PrinterSink& operator=(const PrinterSink&) = delete;

  // The queue chosen in the print dialog; "" prints on the spooler's default queue.
  void SetQueue(const std::string& queue) { queue_ = queue; }
  const std::string& queue() const { return queue_; }
  // Copies and paper the next job asks the spooler for.
  void SetJobOptions(const PrintJobOptions& options) { options_ = options; }

  // PostScript queue: starts the job and makes the buffer. Other queue: only notes that the
  // drawing is to be painted. 0 without a queue or when the spooler refuses the job.
  int32_t Open() override;
  // Sends what is left and releases the job; 1 when every byte reached the spooler (a job that
  // lost bytes is withdrawn instead, and the result is 0).
  int32_t Close() override;
  // 0 when not open on a PostScript printer or when the spooler failed.
  int32_t WriteBytes(const void* data, int32_t length) override;
  int32_t WriteString(const char* text) override;
  int32_t Seek(long offset) override;
  long Tell() override;

  bool IsOpen() const { return open_; }
  // Valid after a successful Open.
  bool IsPostScript() const { return postScript_; }
  int32_t Filled() const { return filled_; }

 private:
  bool Flush();

  Spooler* spooler_;
  std::string queue_;
  PrintJobOptions options_;
  std::unique_ptr<char[]> buffer_;
  int32_t capacity_ = kBufferSize;
  int32_t filled_ = 0;
  bool open_ = false;
  bool postScript_ = false;
  bool failed_ = false;
};
