// Helpers shared by the render tests: the GUI application glyph drawing needs, and a page box.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include "model/GraphicsState.h"
#include "output/OutputDriver.h"
#include "render/GdiPainter.h"

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

// A painter with a buffer and a window device of w x h pixels, installed as the graphics
// state's painter drawing into the buffer, not printing; all undone afterwards.
template <typename Device, int w, int h>
class PainterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    painter.SetBufferDevice(&buffer);
    painter.SetWindowDevice(&window);
    SetPathPainter(&painter);
    SetDrawTargetMode(kDrawToBuffer);
    SetPrintingFlag(false);
  }
  void TearDown() override {
    painter.SetWindowDevice(nullptr);
    SetPathPainter(nullptr);
    SetDrawTargetMode(kDrawToBuffer);
    SetPrintingFlag(false);
  }

  Device buffer{w, h};
  Device window{w, h};
  GdiPainter painter;
  GraphicsState gs;
};
