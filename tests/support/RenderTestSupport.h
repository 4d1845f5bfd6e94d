// Helpers shared by the render tests: the GUI application glyph drawing needs, and a page box.
#pragma once

#include <QGuiApplication>
#include <cstdlib>

#include "output/OutputDriver.h"

// Glyph drawing needs the GUI toolkit's application object; it lives for the whole program.
inline void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "tests_render";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

inline PageInfo PageBox(int32_t urx, int32_t ury, int32_t landscape = 0) {
  return PageInfo{0, 0, urx, ury, "", landscape, {}};
}
