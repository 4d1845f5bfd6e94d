#include "platform/file/ReplaceFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string ResolveLink(const std::string& path) {
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

mode_t TargetMode(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ".<name>.<pid>." : hidden, and naming the process that writes it, so a later save can tell
// the leftovers of a killed writer from a save in progress.
// Built by appending: a literal before a temporary string draws a false overlap warning from
// some compilers.
std::string TempStem(const std::string& target) {
  std::string stem(1, '.');
  stem.append(NameOf(target));
  stem.push_back('.');
  return stem;
}

std::string TempPrefix(const std::string& target, pid_t pid) {
  std::string prefix = TempStem(target);
  prefix.append(std::to_string(pid));
  prefix.push_back('.');
  return prefix;
}

bool ProcessAlive(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// Removes temporary files of `target` whose writer is no longer running (killed mid-save).
void RemoveStaleTemps(const std::string& target) {
  const std::string dir = DirectoryOf(target);
  const std::string stem = TempStem(target);
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    const char* name = e->d_name;
    if (std::strncmp(name, stem.c_str(), stem.size()) != 0) continue;
    const char* rest = name + stem.size();
    char* end = nullptr;
    long pid = std::strtol(rest, &end, 10);
    // The pid, a dot and mkstemp's six characters; anything else is not ours.
    if (end == rest || *end != '.' || std::strlen(end + 1) != 6 || pid <= 0) continue;
    if (pid == getpid() || ProcessAlive(pid_t(pid))) continue;
    unlinkat(dirfd(d), name, 0);
  }
  closedir(d);
}

// Makes the rename itself durable; failure here does not undo a completed replacement.
void SyncDirectoryOf(const std::string& path) {
  const std::string dir = DirectoryOf(path);
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

}  // namespace

bool BeginReplace(const std::string& path, PendingFile* out) {
  *out = PendingFile();
  if (path.empty()) return false;
  out->target = ResolveLink(path);
  size_t slash = out->target.rfind('/');
  std::string name = out->target.substr(0, slash == std::string::npos ? 0 : slash + 1) +
                     TempPrefix(out->target, getpid()) + "XXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  // mkstemp makes the file private (0600); the replacement gets the usual permissions. Not
  // fatal when it fails: the content is still right.
  (void)fchmod(fd, TargetMode(out->target));
  out->temp = name;
  out->fd = fd;
  return true;
}

bool CommitReplace(PendingFile* file) {
  file->fd = -1;
  if (file->temp.empty()) return false;
  if (rename(file->temp.c_str(), file->target.c_str()) != 0) {
    unlink(file->temp.c_str());
    file->temp.clear();
    return false;
  }
  file->temp.clear();
  SyncDirectoryOf(file->target);
  RemoveStaleTemps(file->target);
  return true;
}

void AbandonReplace(PendingFile* file) {
  if (file->fd >= 0) close(file->fd);
  file->fd = -1;
  if (!file->temp.empty()) unlink(file->temp.c_str());
  file->temp.clear();
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
  PendingFile f;
  if (!BeginReplace(path, &f)) return false;
  bool ok = WriteAll(f.fd, bytes) && fsync(f.fd) == 0;
  int fd = f.fd;
  f.fd = -1;
  ok = close(fd) == 0 && ok;
  if (!ok) {
    AbandonReplace(&f);
    return false;
  }
  return CommitReplace(&f);
}
