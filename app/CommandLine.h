// The headless side of ondara-draw: options that run without a window.
#pragma once

#include <string>
#include <vector>

struct CommandLineResult {
  bool handled = false;  // true: exit with `exitCode`; false: start the GUI
  int exitCode = 0;
  std::string fileToOpen;  // the GUI's FILE argument
};

CommandLineResult RunCommandLine(int argc, char** argv);

// The GUI's file from the words after the program name, read as the whole command line was:
// the words joined by spaces; a result of two or more characters that begins and ends with a
// double quote loses them (a lone quote, or one at the start only, is taken whole).
std::string GuiFileArgument(const std::vector<std::string>& words);
