#include "platform/profile/Profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/file/ReplaceFile.h"
#include "platform/profile/ProfileText.h"

namespace {

// Far above any real settings file; a bigger one is not ours to load into memory.
constexpr size_t kMaxProfileBytes = 4u << 20;

enum class LoadResult { kOk, kMissing, kFailed };

LoadResult LoadFile(const std::string& path, std::string* text) {
  text->clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? LoadResult::kMissing : LoadResult::kFailed;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > kMaxProfileBytes) {
    close(fd);
    return LoadResult::kFailed;
  }
  char buf[8192];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text->size() + size_t(n) > kMaxProfileBytes) {
      close(fd);
      return LoadResult::kFailed;
    }
    if (n == 0) break;
    text->append(buf, size_t(n));
  }
  close(fd);
  return LoadResult::kOk;
}

bool MakeDirectories(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    std::string part = dir.substr(0, i);
    struct stat st;
    if (stat(part.c_str(), &st) == 0) continue;
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string SettingsDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, as the base directory rules say.
  if (config && config[0] == '/') return std::string(config) + "/ulvex";
  const char* home = std::getenv("HOME");
  std::string base;
  if (home && home[0]) {
    base = home;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    base = pw->pw_dir;
  }
  return base + "/.config/ulvex";
}

std::string SettingsFilePath() { return SettingsDirectory() + "/ulvex.ini"; }

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path) {
  std::string text;
  std::string value;
  if (LoadFile(path, &text) != LoadResult::kOk || !FindProfileValue(text, section, key, &value)) {
    return defaultValue;
  }
  return value;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path) {
  std::string text;
  std::string value;
  if (LoadFile(path, &text) != LoadResult::kOk || !FindProfileValue(text, section, key, &value) ||
      value.empty()) {
    return defaultValue;
  }
  return ParseProfileInt(value);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path) {
  return WritePrivateProfileStrings(section, {{key, value}}, path);
}

bool WritePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& path) {
  std::string text;
  // A file that exists but cannot be read must not be replaced by one holding only these keys.
  if (LoadFile(path, &text) == LoadResult::kFailed) return false;
  std::string old = text;
  for (const auto& [key, value] : entries) {
    if (!SetProfileValue(&text, section, key, value)) return false;
  }
  if (text == old) return true;
  if (text.size() > kMaxProfileBytes) return false;
  return ReplaceFileContents(path, text);
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue) {
  return GetPrivateProfileString(section, key, defaultValue, SettingsFilePath());
}

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) {
  return GetPrivateProfileInt(section, key, defaultValue, SettingsFilePath());
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value) {
  if (!MakeDirectories(SettingsDirectory())) return false;
  return WritePrivateProfileString(section, key, value, SettingsFilePath());
}
