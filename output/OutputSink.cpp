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

namespace {

// The mode a file created with fopen(path, "wb") would end up with: an existing file keeps
// its own permissions, a new one gets 0666 less the umask.
mode_t TargetMode(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Writes through a symbolic link replace the file it names, not the link itself.
std::string RenameTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* real = realpath(path.c_str(), nullptr);
    if (real) {
      std::string out(real);
      std::free(real);
      return out;
    }
  }
  return path;
}

// Makes the rename itself durable; failure here does not undo a completed save.
void SyncDirectoryOf(const std::string& path) {
  std::string dir = ".";
  size_t slash = path.rfind('/');
  if (slash != std::string::npos) dir = slash == 0 ? "/" : path.substr(0, slash);
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

}  // namespace

FileSink::FileSink(std::string path) : path_(std::move(path)) {}

FileSink::~FileSink() { Discard(); }

void FileSink::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!tempPath_.empty()) {
    unlink(tempPath_.c_str());
    tempPath_.clear();
  }
}

int32_t FileSink::Open() {
  Discard();
  failed_ = false;
  if (path_.empty()) {
    ShowError("Unable to write to " + path_);
    return 0;
  }
  std::string target = RenameTarget(path_);
  std::vector<char> name(target.begin(), target.end());
  static const char kSuffix[] = ".XXXXXX";
  name.insert(name.end(), kSuffix, kSuffix + sizeof kSuffix);  // with the NUL
  int fd = mkstemp(name.data());
  if (fd < 0) {
    ShowError("Unable to write to " + path_);
    return 0;
  }
  tempPath_ = name.data();
  // mkstemp creates the file private (0600); the saved file gets the usual permissions.
  if (fchmod(fd, TargetMode(target)) != 0) {
    // Not fatal: the content is still right, only the permissions are narrower.
  }
  file_ = fdopen(fd, "wb");
  if (!file_) {
    close(fd);
    unlink(tempPath_.c_str());
    tempPath_.clear();
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
  if (ok) {
    std::string target = RenameTarget(path_);
    if (rename(tempPath_.c_str(), target.c_str()) == 0) {
      tempPath_.clear();
      SyncDirectoryOf(target);
      return 1;
    }
    ok = false;
  }
  failed_ = true;
  unlink(tempPath_.c_str());
  tempPath_.clear();
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
