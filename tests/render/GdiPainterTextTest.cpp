// Text shapes painted through the graphics state: the screen, printing and feedback path.
#include <gtest/gtest.h>

#include <memory>

#include "fonts/FontManager.h"
#include "model/GraphicsState.h"
#include "model/TextShape.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiPainter.h"
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

TEST(GdiPainterText, TextShapeDrawsInPreviewAndFeedbackUndoesItself) {
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
  gdi::QImageDevice dc(200, 100);
  GdiPainter painter;
  painter.SetBufferDevice(&dc);
  painter.SetWindowDevice(&dc);
  SetPathPainter(&painter);
  GraphicsState& gs = TheGraphicsState();
  gs.Reset();
  gs.setmatrix(MatrixD{1, 0, 0, -1, 0, 100});  // the page's top at the device's top

  SetDrawTargetMode(0);
  text.Draw(1);
  int inked = InkedPixels(dc);
  EXPECT_GT(inked, 200);  // the glyphs are there, in the fill colour
  EXPECT_EQ(dc.GetPixel(5, 95), gdi::Rgb(255, 255, 255));

  // Feedback draws the text inverted over what is there; drawing it again restores the picture.
  QImage before = dc.image().copy();
  SetDrawTargetMode(1);
  text.Draw(0);
  EXPECT_NE(dc.image(), before);
  text.Draw(0);
  EXPECT_EQ(dc.image(), before);
  SetDrawTargetMode(0);

  SetPathPainter(nullptr);
  SetFontManager(nullptr);
}
