#include "output/OutputSink.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file/ReplaceFile.h"
#include "platform/msgbox/Messages.h"

namespace {

// Files carry numbers in the C locale ("1.5"), whatever locale the GUI runs in.
class CNumbers {
 public:
  CNumbers() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    if (c) old_ = uselocale(c);
  }
  ~CNumbers() {
    if (old_) uselocale(old_);
  }

 private:
  locale_t old_ = locale_t(0);
};

}  // namespace

int32_t OutputSink::Printf(const char* format, ...) {
  // Most lines fit the stack buffer; longer ones (text, font names) are formatted again into a
  // buffer of their own size so nothing is ever cut short.
  char small[512];
  std::unique_ptr<char, decltype(&std::free)> big(nullptr, &std::free);
  const char* text = small;
  {
    CNumbers c;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n >= 0 && size_t(n) >= sizeof small) {
      big.reset(static_cast<char*>(std::malloc(size_t(n) + 1)));
      if (big) std::vsnprintf(big.get(), size_t(n) + 1, format, again);
      text = big.get();
    }
    va_end(again);
    if (n < 0 || !text) return 0;
  }
  return WriteString(text);
}

FileSink::FileSink(std::string path) : path_(std::move(path)) {}

FileSink::~FileSink() { Discard(); }

void FileSink::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
    pending_.fd = -1;  // closed with the stream
  }
  AbandonReplace(&pending_);
}

int32_t FileSink::Open() {
  Discard();
  failed_ = false;
  if (!BeginReplace(path_, &pending_)) {
    ShowError("Unable to write to " + path_);
    return 0;
  }
  file_ = fdopen(pending_.fd, "wb");
  if (!file_) {
    AbandonReplace(&pending_);
    ShowError("Unable to write to " + path_);
    return 0;
  }
  return 1;
}

int32_t FileSink::Close() {
  if (!file_) return 0;
  bool ok = !failed_;
  if (std::fflush(file_) != 0 || std::ferror(file_)) ok = false;
  if (ok && fsync(fileno(file_)) != 0) ok = false;
  if (std::fclose(file_) != 0) ok = false;
  file_ = nullptr;
  pending_.fd = -1;  // closed with the stream
  if (ok && CommitReplace(&pending_)) return 1;
  failed_ = true;
  AbandonReplace(&pending_);
  ShowError(Format("Unable to write to %s", path_.c_str()));
  return 0;
}

int32_t FileSink::WriteBytes(const void* data, int32_t length) {
  if (!file_) return 0;
  if (length < 0 || (length > 0 && !data)) {
    failed_ = true;
    return 0;
  }
  if (length == 0) return 1;
  if (std::fwrite(data, 1, size_t(length), file_) != size_t(length)) {
    failed_ = true;
    return 0;
  }
  return 1;
}

int32_t FileSink::WriteString(const char* text) {
  if (!file_) return 0;
  if (!text) return 1;
  size_t n = std::strlen(text);
  if (n && std::fwrite(text, 1, n, file_) != n) {
    failed_ = true;
    return 0;
  }
  return 1;
}

int32_t FileSink::Seek(long offset) {
  if (!file_) return -1;
  if (std::fseek(file_, offset, SEEK_SET) != 0) {
    // Later writes would land in the wrong place: the file must not replace the target.
    failed_ = true;
    return -1;
  }
  return 0;
}

long FileSink::Tell() {
  if (!file_) return 0;
  return std::ftell(file_);
}
