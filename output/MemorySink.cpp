#include "output/MemorySink.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "output/ExportFile.h"

int32_t MemorySink::Open() {
  bytes_.clear();
  position_ = 0;
  failed_ = false;
  return 1;
}

int32_t MemorySink::WriteBytes(const void* data, int32_t length) {
  if (length < 0 || (length > 0 && !data)) {
    failed_ = true;
    return 0;
  }
  const size_t n = size_t(length);
  const char* bytes = static_cast<const char*>(data);
  // Over what is written already (after a Seek back), then appended.
  const size_t over = std::min(n, bytes_.size() - position_);
  if (over) std::memcpy(bytes_.data() + position_, bytes, over);
  try {
    bytes_.append(bytes + over, n - over);
  } catch (const std::bad_alloc&) {
    failed_ = true;  // the document would be incomplete; the caller hears of it
    return 0;
  }
  position_ += n;
  return 1;
}

int32_t MemorySink::WriteString(const char* text) {
  return text ? WriteBytes(text, int32_t(std::strlen(text))) : 1;
}

int32_t MemorySink::Seek(long offset) {
  if (offset < 0 || size_t(offset) > bytes_.size()) return -1;
  position_ = size_t(offset);
  return 0;
}

int32_t WriteDrawingToMemory(Drawing& drawing, int32_t kind, std::string* out, size_t sizeHint) {
  MemorySink sink;
  sink.Open();
  // The caller's string lends its buffer: memory already in use needs no new pages.
  out->clear();
  sink.bytes().swap(*out);
  try {
    sink.bytes().reserve(sizeHint + sizeHint / 8);
  } catch (const std::bad_alloc&) {
    // only a hint
  }
  int32_t ok = ExportFile(drawing, kind, &sink, ExportOptions());
  out->swap(sink.bytes());
  return ok && !sink.Failed() ? 1 : 0;
}
