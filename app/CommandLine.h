// The headless side of ondara-draw: options that run without a window.
#pragma once

#include <string>

struct CommandLineResult {
  bool handled = false;  // true: exit with `exitCode`; false: start the GUI
  int exitCode = 0;
  std::string fileToOpen;  // the GUI's FILE argument
};

CommandLineResult RunCommandLine(int argc, char** argv);
