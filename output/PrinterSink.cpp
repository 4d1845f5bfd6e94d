#include "output/PrinterSink.h"

#include <cstring>
#include <new>

PrinterSink::PrinterSink(Spooler* spooler) : spooler_(spooler) {}

PrinterSink::~PrinterSink() {
  if (open_ && postScript_ && spooler_) spooler_->CancelJob();
}

int32_t PrinterSink::Open() {
  if (open_) Close();
  failed_ = false;
  filled_ = 0;
  if (!spooler_) return 0;
  if (queue_.empty()) queue_ = spooler_->DefaultQueue();
  if (queue_.empty() || !spooler_->HasQueue(queue_)) return 0;
  postScript_ = spooler_->IsPostScriptQueue(queue_);
  if (postScript_) {
    if (!spooler_->StartJob(queue_, kPrintDocumentName, options_)) return 0;
    buffer_.reset(new (std::nothrow) char[size_t(capacity_)]);
    if (!buffer_) {
      spooler_->CancelJob();
      return 0;
    }
  }
  open_ = true;
  return 1;
}

bool PrinterSink::Flush() {
  if (filled_ > 0 && !spooler_->Send(buffer_.get(), size_t(filled_))) failed_ = true;
  filled_ = 0;
  return !failed_;
}

int32_t PrinterSink::Close() {
  if (!open_) return 0;
  open_ = false;
  if (!postScript_) return 1;
  bool ok = Flush();
  buffer_.reset();
  if (ok) return spooler_->FinishJob() ? 1 : 0;
  spooler_->CancelJob();
  return 0;
}

int32_t PrinterSink::WriteBytes(const void* data, int32_t length) {
  if (!open_ || !postScript_ || failed_) return 0;
  if (length < 0 || (length > 0 && !data)) return 0;
  if (length > capacity_ - filled_ && !Flush()) return 0;
  if (length > capacity_) {
    // Larger than the whole buffer: straight through rather than cut to fit.
    if (!spooler_->Send(data, size_t(length))) {
      failed_ = true;
      return 0;
    }
    return 1;
  }
  if (length > 0) std::memcpy(buffer_.get() + filled_, data, size_t(length));
  filled_ += length;
  return 1;
}

int32_t PrinterSink::WriteString(const char* text) {
  if (!text) return open_ && postScript_ && !failed_ ? 1 : 0;
  size_t n = std::strlen(text);
  // Strings beyond the int range go in pieces; the writers never make one, but a length must
  // never wrap.
  while (n > size_t(INT32_MAX)) {
    if (!WriteBytes(text, INT32_MAX)) return 0;
    text += INT32_MAX;
    n -= size_t(INT32_MAX);
  }
  return WriteBytes(text, int32_t(n));
}

int32_t PrinterSink::Seek(long) { return 0; }

long PrinterSink::Tell() { return 0; }
