// The settings kept in ulvex.ini: read once at start, written once at exit.
#pragma once

#include <string>

#include "model/Drawing.h"

// "Let the system choose" for the main window's position and size.
inline constexpr int kDefaultWindowPosition = static_cast<int>(0x80000000u);
// The version written at exit; any other stored value marks a first run.
inline constexpr int kSettingsVersion = 310;

struct Settings {
  int maximized = 0;
  int left = kDefaultWindowPosition;
  int top = kDefaultWindowPosition;
  int width = kDefaultWindowPosition;
  int height = kDefaultWindowPosition;
  int version = 0;
  int units = kUnitsInches;
  int type42ok = 0;
  int substPsForTT = 0;
  std::string openDir = ".";
  int paper = 0;
  int autosaveSeconds = 60;  // 0: no autosave
};

Settings ReadSettings();
// False when the file could not be written (it is then left as it was).
bool WriteSettings(const Settings& settings);

// The page size of a "Paper" index; an index outside the table selects Letter.
PageSize PaperFromIndex(int index);
// The index of the table row with the drawing's page size (always a table row here).
int PaperIndexOf(PageSize size);
