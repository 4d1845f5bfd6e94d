// Start-up of the desktop program.
#pragma once

#include <string>

int RunApplication(int argc, char** argv, const std::string& fileToOpen);
