// ondara-draw --convert IN OUT [options]: read a file and write it in another format, headless.
#pragma once

#include <string>
#include <vector>

struct ConvertRequest {
  std::string in;
  std::string out;
  int preview = 0;
  int includeFonts = 0;
  int type42 = 0;
  int substituteFonts = 0;
  float border = 9;
  int smoothing = 1;
  int page = -1;       // -1: as the file says (or Letter)
  int landscape = -1;  // -1: as the file says
};

// Parses the words after "--convert". On error returns false with a message in *error.
bool ParseConvertArguments(const std::vector<std::string>& args, ConvertRequest* request,
                           std::string* error);
// Runs the conversion; 0 on success, 1 on failure (the program's messages on stderr).
int RunConversion(const ConvertRequest& request);
