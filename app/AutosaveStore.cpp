#include "app/AutosaveStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "model/DebugLog.h"
#include "output/OutputDriver.h"
#include "output/PsReader.h"
#include "platform/file/ReplaceFile.h"

namespace fs = std::filesystem;

namespace {

constexpr const char kRecordHeader[] = "Ondara Draw autosave\n";

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && home[0]) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return {};
}

// "<pid>-<8 hex digits>": the pid for people looking at the folder, the random part so a
// later program given the same pid never writes over an autosave not yet recovered.
std::string NewId() {
  std::random_device random;
  char id[48];
  std::snprintf(id, sizeof id, "%d-%08x", int(getpid()), unsigned(random()));
  return id;
}

bool IsId(const std::string& id) {
  size_t dash = id.find('-');
  if (dash == 0 || dash == std::string::npos || id.size() - dash - 1 != 8) return false;
  for (size_t i = 0; i < dash; ++i)
    if (id[i] < '0' || id[i] > '9') return false;
  for (size_t i = dash + 1; i < id.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(id[i]))) return false;
  return true;
}

bool ReadWhole(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  *out = text.str();
  return !in.bad();
}

// The record is the header line and the path on a line of its own (the path may be empty).
bool ParseRecord(const std::string& text, std::string* path) {
  const size_t header = sizeof kRecordHeader - 1;
  if (text.size() < header + 1 || text.compare(0, header, kRecordHeader) != 0 ||
      text.back() != '\n')
    return false;
  *path = text.substr(header, text.size() - header - 1);
  return path->find('\0') == std::string::npos;
}

bool DrawingReads(const std::string& file) {
  std::string bytes;
  if (!ReadWhole(file, &bytes)) return false;
  ShapeList shapes;
  PageInfo page;
  PsReader reader;
  bool ok = reader.Read(bytes.data(), bytes.size(), &shapes, &page, nullptr) != 0;
  DestroyShapes(&shapes);
  return ok;
}

// True when the lock's program has ended: its lock can be taken.
bool LockIsFree(const std::string& lockFile) {
  int fd = open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return free;
}

}  // namespace

std::string AutosaveDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // Relative values are ignored, as the base directory rules say.
  if (state && state[0] == '/') return std::string(state) + "/ulvex/autosave";
  return HomeDirectory() + "/.local/state/ulvex/autosave";
}

AutosaveSlot::AutosaveSlot() : base_(AutosaveDirectory() + "/" + NewId()) {}

AutosaveSlot::~AutosaveSlot() {
  if (lockFd_ >= 0) close(lockFd_);
}

bool AutosaveSlot::Lock(std::string* error) {
  if (lockFd_ >= 0) return true;
  // Drawings are private: the folder is made for the user alone.
  const std::string dir = AutosaveDirectory();
  std::error_code ec;
  fs::create_directories(fs::path(dir).parent_path(), ec);
  mkdir(dir.c_str(), 0700);
  const std::string file = base_ + ".lock";
  int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    *error = file + ": " + std::strerror(errno);
    return false;
  }
  const std::string pid = std::to_string(getpid()) + "\n";
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0 ||
      write(fd, pid.data(), pid.size()) != ssize_t(pid.size())) {
    *error = file + ": " + std::strerror(errno);
    close(fd);
    return false;
  }
  lockFd_ = fd;
  return true;
}

bool AutosaveSlot::Write(const std::string& bytes, const std::string& path, std::string* error) {
  if (!Lock(error)) return false;
  // The record first: a drawing on disk always has the record of its path beside it.
  if (!recordWritten_ || path != recordedPath_) {
    if (!ReplaceFileContents(base_ + ".txt", kRecordHeader + path + "\n")) {
      *error = base_ + ".txt: " + std::strerror(errno);
      return false;
    }
    recordedPath_ = path;
    recordWritten_ = true;
  }
  if (!ReplaceFileContents(base_ + ".qlx", bytes)) {
    *error = base_ + ".qlx: " + std::strerror(errno);
    return false;
  }
  return true;
}

void AutosaveSlot::Remove() {
  // The drawing goes first, so a lock and record alone never pass for something to recover.
  unlink((base_ + ".qlx").c_str());
  unlink((base_ + ".txt").c_str());
  recordWritten_ = false;
}

void AutosaveSlot::Release() {
  Remove();
  if (lockFd_ >= 0) {
    unlink((base_ + ".lock").c_str());
    close(lockFd_);
    lockFd_ = -1;
  }
}

std::vector<OrphanedAutosave> FindOrphanedAutosaves() {
  const std::string dir = AutosaveDirectory();
  std::map<std::string, int> parts;  // id -> bits: 1 lock, 2 drawing, 4 record
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // Temporary files of a replacement in progress (or of a killed one, which the next
    // replacement removes).
    if (name[0] == '.') continue;
    const size_t dot = name.rfind('.');
    const std::string id = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    const int bit = ext == ".lock" ? 1 : ext == ".qlx" ? 2 : ext == ".txt" ? 4 : 0;
    if (!bit || !IsId(id) || !it->is_regular_file()) {
      DebugLog("Autosave: skipped %s/%s, which is not an autosave", dir.c_str(), name.c_str());
      continue;
    }
    parts[id] |= bit;
  }
  std::vector<OrphanedAutosave> found;
  for (const auto& [id, bits] : parts) {
    OrphanedAutosave a{dir + "/" + id, dir + "/" + id + ".qlx", {}};
    if (!(bits & 1)) {
      if (bits & 2) DebugLog("Autosave: skipped %s, which has no lock", a.drawingFile.c_str());
      continue;
    }
    if (!LockIsFree(a.base + ".lock")) continue;  // its program is running
    if (!(bits & 2)) {
      DeleteAutosave(a);  // ended before its first autosave: nothing to recover
      continue;
    }
    std::string record;
    if (!(bits & 4) || !ReadWhole(a.base + ".txt", &record) ||
        !ParseRecord(record, &a.recordedPath)) {
      DebugLog("Autosave: skipped %s, whose record is damaged", a.drawingFile.c_str());
      continue;
    }
    if (!DrawingReads(a.drawingFile)) {
      DebugLog("Autosave: skipped %s, which does not read", a.drawingFile.c_str());
      continue;
    }
    found.push_back(std::move(a));
  }
  return found;
}

void DeleteAutosave(const OrphanedAutosave& autosave) {
  unlink(autosave.drawingFile.c_str());
  unlink((autosave.base + ".txt").c_str());
  unlink((autosave.base + ".lock").c_str());
}
