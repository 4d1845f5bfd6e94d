#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ImageData.h"
#include "platform/gdi/RecordingDevice.h"
#include "render/GdiPainter.h"
#include "support/RenderTestSupport.h"
#include "support/TestSupport.h"

namespace {

using gdi::RecordingDevice;
using Lines = std::vector<std::string>;

bool HasPrefix(const RecordingDevice& dc, const std::string& prefix) {
  for (const std::string& l : dc.lines())
    if (l.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

// Nothing left behind: no live objects, default pen, brush and attributes selected again.
void ExpectClean(const RecordingDevice& dc, int32_t liveBefore = 0) {
  EXPECT_EQ(V(dc.LiveObjects(), dc.SelectedPen(), dc.SelectedBrush(), dc.Rop(), dc.BkMode(),
              dc.TextColor(), dc.BkColor()),
            V(liveBefore, RecordingDevice::StockHandle(gdi::BLACK_PEN),
              RecordingDevice::StockHandle(gdi::WHITE_BRUSH), gdi::R2_COPYPEN, gdi::OPAQUE,
              gdi::Rgb(0, 0, 0), gdi::Rgb(255, 255, 255)));
}

using GdiPainterTest = PainterTest<RecordingDevice, 10, 10>;

void Line(GraphicsState& gs) {
  gs.moveto(0, 0);
  gs.lineto(10, 0);
}

}  // namespace

TEST_F(GdiPainterTest, FeedbackModeUsesXorAndNot) {
  gdi::Handle feedback = painter.FeedbackPen();
  ASSERT_NE(feedback, 0u);
  EXPECT_EQ(window.Find(feedback)->color, kFeedbackColor);
  EXPECT_EQ(window.Find(painter.GuidePen())->style, gdi::PS_DASH);
  window.clear();

  SetDrawTargetMode(kDrawFeedback);
  gs.setrgbcolor(1, 0, 0);  // feedback ignores the colour
  Line(gs);
  gs.stroke(0);
  EXPECT_EQ(window.lines(),
            (Lines{"SetROP2 7 -> 13", "SelectObject " + std::to_string(feedback) + " -> 8",
                   "PolyPolyline 1 [2] (0,0) (10,0)",
                   "SelectObject 8 -> " + std::to_string(feedback), "SetROP2 13 -> 7"}));
  EXPECT_TRUE(buffer.lines().empty());

  // A wide feedback line XORs in the feedback colour, never in 0 (which would show nothing).
  window.clear();
  gs.setlinewidth(3);
  Line(gs);
  gs.stroke(0);
  EXPECT_TRUE(HasPrefix(window, "CreatePen 0 3 0xC0C0C0"));
  ExpectClean(window, 2);

  window.clear();
  gs.rectpath(0, 0, 4, 4);
  gs.fill(0);
  EXPECT_EQ(window.lines().front(), "SetROP2 6 -> 13");
  ExpectClean(window, 2);

  // Printing overrides the mode.
  RecordingDevice printer;
  painter.SetPrinterDevice(&printer);
  SetPrintingFlag(true);
  window.clear();
  Line(gs);
  gs.stroke(1);
  EXPECT_TRUE(window.lines().empty() && HasPrefix(printer, "StrokePath"));
  EXPECT_FALSE(HasPrefix(printer, "SetROP2"));

  painter.SetWindowDevice(nullptr);
  EXPECT_EQ(window.LiveObjects(), 0);
}

TEST_F(GdiPainterTest, ImageIsClippedAndShortPixelDataDrawsNothing) {
  ImageData image;
  image.width = 2, image.height = 2;
  image.pixels = {255, 0, 0,   0,  255, 0,    // top row: red, green
                  0,   0, 255, 10, 20,  30};  // bottom row: blue, dark
  // The unit square onto device pixels 2..5 (y down, so v = 1 is the top).
  gs.setmatrix(MatrixD{4, 0, 0, -4, 2, 6});
  gs.image(image);
  EXPECT_EQ(buffer.GetPixel(2, 2), gdi::Rgb(255, 0, 0));

  // Partly off the canvas: clipped, and the part on it still drawn.
  gs.setmatrix(MatrixD{4, 0, 0, -4, 8, 12});
  gs.image(image);
  EXPECT_EQ(buffer.GetPixel(8, 8), gdi::Rgb(255, 0, 0));
  EXPECT_TRUE(HasPrefix(buffer, "ReadPixels 8 8 10 10"));

  // Fewer bytes than the size promises: nothing is read or drawn.
  buffer.clear();
  image.pixels.resize(9);
  gs.image(image);
  EXPECT_TRUE(buffer.lines().empty());

  // While printing the pixels are stretched into the device rectangle.
  image.pixels.resize(12);
  RecordingDevice printer;
  painter.SetPrinterDevice(&printer);
  SetPrintingFlag(true);
  gs.setmatrix(MatrixD{4, 0, 0, -4, 2, 6});
  gs.image(image);
  EXPECT_EQ(printer.lines(), (Lines{"StretchRgb 2 2 6 6 2 2"}));
}
