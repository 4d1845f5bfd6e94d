#include <cstdio>

#include "app/CommandLine.h"

#ifndef ONDARA_NO_GUI
#include "app/Application.h"
#endif

int main(int argc, char** argv) {
  CommandLineResult r = RunCommandLine(argc, argv);
  if (r.handled) return r.exitCode;
#ifdef ONDARA_NO_GUI
  std::fprintf(stderr, "ondara-draw: this build has no window; see --help\n");
  return 1;
#else
  return RunApplication(argc, argv, r.fileToOpen);
#endif
}
