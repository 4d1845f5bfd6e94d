// A small SVG scene as LibreOffice converts it at test time (metafiles, and its own picture of
// the scene), for the metafile import's checks against what LibreOffice writes.
#pragma once

#include <string>

#include "support/TestSupport.h"

namespace libreoffice {

// A 288 x 216 point scene: a box with a 3 point outline, an ellipse with a 1 point outline, an
// open red curve 4 points wide, a filled triangle, a polyline 2 points wide and a line of 20
// point text.
inline constexpr char kScene[] =
    "<svg xmlns='http://www.w3.org/2000/svg' width='288pt' height='216pt' viewBox='0 0 288 216'>"
    "<rect x='20' y='20' width='100' height='60' fill='#3366cc' stroke='#000' stroke-width='3'/>"
    "<ellipse cx='200' cy='50' rx='50' ry='30' fill='#ffcc00' stroke='#000' stroke-width='1'/>"
    "<path d='M 20 120 C 60 90 100 170 140 120' fill='none' stroke='#f00' stroke-width='4'/>"
    "<polygon points='170,100 260,100 215,160' fill='#33aa33' stroke='none'/>"
    "<polyline points='20,190 60,150 100,190 140,150' fill='none' stroke='#000' "
    "stroke-width='2'/>"
    "<text x='150' y='200' font-family='DejaVu Sans' font-size='20'>Hello WMF</text></svg>";

inline bool Installed() { return RunCommand("command -v soffice >/dev/null 2>&1") == 0; }

// The scene converted by LibreOffice to `kind` (wmf, emf, png) in a private profile; empty when
// the conversion failed.
inline std::string ConvertScene(const std::string& kind) {
  const std::string dir = TestWorkDir("libreoffice_" + kind);
  if (!WriteFileBytes(dir + "/scene.svg", kScene)) return "";
  const std::string cmd = "cd " + dir + " && timeout 180 soffice -env:UserInstallation=file://" +
                          dir + "/profile --headless --convert-to " + kind +
                          " scene.svg >/dev/null 2>&1";
  if (RunCommand(cmd) != 0) return "";
  const std::string path = dir + "/scene." + kind;
  return ReadFileBytes(path).empty() ? "" : path;
}

}  // namespace libreoffice
