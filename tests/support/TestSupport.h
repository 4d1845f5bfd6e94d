// Helpers shared by the test programs.
#pragma once

#include <string>

// A fresh, empty directory under the build tree for one test.
std::string TestWorkDir(const std::string& name);
// Whole contents of a file ("" when it cannot be read).
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Runs a shell command; its exit status.
int RunCommand(const std::string& command);
