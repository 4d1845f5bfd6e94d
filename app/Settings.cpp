#include "app/Settings.h"

#include <filesystem>
#include <utility>
#include <vector>

#include "platform/profile/Profile.h"

namespace {

std::string Int(int value) { return std::to_string(value); }

}  // namespace

Settings ReadSettings() {
  Settings s;
  s.maximized = GetProfileInt("Startup", "Maximized", 0);
  s.left = GetProfileInt("Startup", "Left", kDefaultWindowPosition);
  s.top = GetProfileInt("Startup", "Top", kDefaultWindowPosition);
  s.width = GetProfileInt("Startup", "Width", kDefaultWindowPosition);
  s.height = GetProfileInt("Startup", "Height", kDefaultWindowPosition);
  s.version = GetProfileInt("Misc", "Version", 0);
  s.units = GetProfileInt("Options", "Units", kUnitsInches);
  s.type42ok = GetProfileInt("Misc", "Type42ok", 0);
  s.substPsForTT = GetProfileInt("Misc", "SubstPSforTT", 0);
  s.openDir = GetProfileString("Misc", "OpenDir", ".");
  s.paper = GetProfileInt("Options", "Paper", 0);
  s.autosaveSeconds = GetProfileInt("Misc", "AutosaveSeconds", 60);
  return s;
}

bool WriteSettings(const Settings& s) {
  std::error_code ec;
  std::filesystem::create_directories(SettingsDirectory(), ec);
  const std::string path = SettingsFilePath();
  bool ok = WritePrivateProfileStrings("Startup",
                                       {{"Maximized", Int(s.maximized)},
                                        {"Left", Int(s.left)},
                                        {"Top", Int(s.top)},
                                        {"Width", Int(s.width)},
                                        {"Height", Int(s.height)}},
                                       path);
  ok = WritePrivateProfileStrings("Misc",
                                  {{"Version", Int(kSettingsVersion)},
                                   {"Type42ok", Int(s.type42ok)},
                                   {"SubstPSforTT", Int(s.substPsForTT)},
                                   {"OpenDir", s.openDir},
                                   {"AutosaveSeconds", Int(s.autosaveSeconds)}},
                                  path) &&
       ok;
  ok = WritePrivateProfileStrings("Options", {{"Units", Int(s.units)}, {"Paper", Int(s.paper)}},
                                  path) &&
       ok;
  return ok;
}

PageSize PaperFromIndex(int index) {
  return index >= kPageLetter && index <= kPageA4 ? static_cast<PageSize>(index) : kPageLetter;
}

int PaperIndexOf(PageSize size) {
  return size >= kPageLetter && size <= kPageA4 ? static_cast<int>(size) : 0;
}
