// Text shapes painted through the graphics state: the screen, printing and feedback path.
#include <gtest/gtest.h>

#include <memory>

#include "fonts/FontManager.h"
#include "model/TextShape.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "support/RenderTestSupport.h"
#include "support/TestSupport.h"

namespace {

int InkedPixels(gdi::QImageDevice& dc) {
  int n = 0;
  for (int y = 0; y < dc.height(); ++y)
    for (int x = 0; x < dc.width(); ++x) n += dc.GetPixel(x, y) != gdi::Rgb(255, 255, 255);
  return n;
}

}  // namespace

using GdiPainterText = PainterTest<gdi::QImageDevice, 200, 100>;

TEST_F(GdiPainterText, TextShapeDrawsInPreviewAndFeedbackUndoesItself) {
  const std::string ttf = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
  if (ReadFileBytes(ttf).empty()) GTEST_SKIP() << "needs fonts-liberation";
  EnsureGuiApplication();
  auto fonts = std::make_unique<TrueTypeFontList>();
  fonts->UseFontFiles({ttf});
  ASSERT_EQ(fonts->LoadFonts(), 1);
  SetFontManager(std::move(fonts));

  TextShape text("Hello world", "LiberationSans", 24, 26, 0);  // left aligned
  text.Layout();
  text.Move(10, 90);  // the frame's top-left corner near the top of the device
  TheGraphicsState().Reset();
  TheGraphicsState().setmatrix(MatrixD{1, 0, 0, -1, 0, 100});  // the page's top at the top
  text.Draw(1);
  EXPECT_GT(InkedPixels(buffer), 200);  // the glyphs are there, in the fill colour
  EXPECT_EQ(buffer.GetPixel(5, 95), gdi::Rgb(255, 255, 255));

  // Feedback draws the text inverted over what is there; drawing it again restores the picture.
  window.BitBlt(0, 0, 200, 100, &buffer, 0, 0, gdi::SRCCOPY);
  const QImage before = window.image().copy();
  SetDrawTargetMode(kDrawFeedback);
  text.Draw(0);
  EXPECT_NE(window.image(), before);
  text.Draw(0);
  EXPECT_EQ(window.image(), before);
  SetFontManager(nullptr);
}
