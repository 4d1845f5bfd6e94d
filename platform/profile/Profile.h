// The settings file "ulvex.ini": the private-profile functions the program calls, reading and
// writing [Section] key=value text (see ProfileText.h for the format rules). The settings file
// lives in $XDG_CONFIG_HOME/ulvex/ (default ~/.config/ulvex/), where the program expects the
// Windows directory. The *Private* forms take an explicit file path.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The settings directory, without a trailing "/".
std::string SettingsDirectory();
// SettingsDirectory() + "/ulvex.ini".
std::string SettingsFilePath();

// The value, or `defaultValue` when the file, section or key is missing or the file cannot be
// read (or is larger than any settings file: 4 MiB).
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path);
// The value read as an integer (ParseProfileInt); `defaultValue` when missing or empty.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path);
// Sets the value and rewrites the file: to a temporary file beside it, then renamed over it, so
// a failed write leaves the old file whole. False when nothing was written.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& path);
// Several keys of one section in one rewrite (the font name caches fill many at once). False,
// with the file untouched, when any of them cannot be written.
bool WritePrivateProfileStrings(const std::string& section,
                                const std::vector<std::pair<std::string, std::string>>& entries,
                                const std::string& path);

// The same on the settings file; writing creates the settings directory when needed.
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue);
int GetProfileInt(const std::string& section, const std::string& key, int defaultValue);
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value);
