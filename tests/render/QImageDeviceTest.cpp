// The QImage device against GDI's pixel rules, driven the way the renderer drives it.
#include <gtest/gtest.h>

#include <QPainter>

#include "model/GraphicsState.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiPainter.h"
#include "support/RenderTestSupport.h"
#include "support/TestSupport.h"

namespace {

using gdi::ColorRef;
using gdi::QImageDevice;

constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef kBlack = 0;

// Rows of column x that are not white.
int InkRows(QImageDevice& dc, int x) {
  int n = 0;
  for (int y = 0; y < dc.height(); ++y) n += dc.GetPixel(x, y) != kWhite;
  return n;
}

// Columns of row y that are not white.
int InkColumns(QImageDevice& dc, int y) {
  int n = 0;
  for (int x = 0; x < dc.width(); ++x) n += dc.GetPixel(x, y) != kWhite;
  return n;
}

using PainterOnImage = PainterTest<QImageDevice, 60, 30>;

TEST_F(PainterOnImage, LineWidthRules) {
  // A solid line of width 0 is one pixel high, not zero.
  gs.setlinewidth(0);
  gs.moveto(5, 10);
  gs.lineto(50, 10);
  gs.stroke(1);
  EXPECT_EQ(V(InkRows(buffer, 20), buffer.GetPixel(20, 10)), V(1, kBlack));

  // A dashed line of width 4 is one pixel high too, and has gaps (18 on, 6 off).
  gs.setlinewidth(4);
  gs.setdash(0);
  gs.moveto(0, 20);
  gs.lineto(60, 20);
  gs.stroke(1);
  int on = 0;
  for (int x = 0; x < 60; ++x) on += buffer.GetPixel(x, 20) == kBlack;
  EXPECT_EQ(on, 18 + 18 + 12);                                     // 0..17, 24..41, 48..59
  EXPECT_EQ(V(InkRows(buffer, 2), InkRows(buffer, 55)), V(1, 1));  // one pixel high

  // A solid width of 4 is four rows.
  gs.setdash(-1);
  gs.moveto(0, 27);
  gs.lineto(60, 27);
  gs.stroke(1);
  EXPECT_EQ(InkRows(buffer, 30), 1 + 1 + 4);  // with the two lines above
}

TEST_F(PainterOnImage, FeedbackDrawnTwiceLeavesTheWindowUnchanged) {
  // Something to draw over, in several colours.
  gs.setrgbcolor(0.2f, 0.6f, 0.9f);
  gs.rectpath(10, 5, 40, 25);
  SetDrawTargetMode(kDrawToWindow);
  gs.fill(1);
  const QImage before = window.image().copy();

  SetDrawTargetMode(kDrawFeedback);
  auto feedback = [&] {
    gs.setlinewidth(1);
    gs.moveto(0, 0);
    gs.lineto(59, 29);
    gs.lineto(5, 28);
    gs.stroke(0);  // outline: XOR with the feedback pen
    gs.setlinewidth(3);
    gs.moveto(2, 15);
    gs.lineto(58, 15);
    gs.stroke(0);  // wide: XOR in the feedback colour
    gs.rectpath(20, 2, 50, 20);
    gs.fill(0);  // fills invert
    gs.arc(30, 15, 10, 0, 360);
    gs.stroke(1);  // full strokes invert too
  };
  feedback();
  EXPECT_NE(window.image(), before);
  feedback();
  EXPECT_EQ(window.image(), before);
}

TEST(QImageDevice, PixelRulesAndBounds) {
  QImageDevice dc(20, 10);
  ASSERT_TRUE(dc.IsValid());
  // LineTo leaves out its last pixel; Polygon's outline reaches every vertex.
  dc.MoveToEx(2, 1);
  dc.LineTo(12, 1);
  EXPECT_EQ(V(InkColumns(dc, 1), dc.GetPixel(12, 1)), V(10, kWhite));
  gdi::DevPoint box[4] = {{2, 3}, {8, 3}, {8, 7}, {2, 7}};
  gdi::Handle red = dc.CreateSolidBrush(gdi::Rgb(255, 0, 0));
  dc.SelectObject(red);
  dc.Polygon(box, 4);
  EXPECT_EQ(V(dc.GetPixel(8, 7), dc.GetPixel(5, 5)), V(kBlack, gdi::Rgb(255, 0, 0)));
  EXPECT_EQ(dc.SetPixel(19, 9, 0x123456), ColorRef(0x123456));
  EXPECT_EQ(V(dc.GetPixel(19, 9), dc.GetPixel(20, 0), dc.GetPixel(-1, 0)),
            V(0x123456, QImageDevice::kInvalidColor, QImageDevice::kInvalidColor));

  // SRCCOPY copies.
  QImageDevice copy(20, 10);
  EXPECT_TRUE(copy.BitBlt(0, 0, 20, 10, &dc, 0, 0, gdi::SRCCOPY));
  EXPECT_EQ(copy.image(), dc.image());
  // A transfer that reaches beyond either image is clipped, not read out of bounds.
  EXPECT_TRUE(copy.BitBlt(-5, -5, 100, 100, &dc, 3, 3, gdi::SRCCOPY));
  EXPECT_EQ(copy.GetPixel(0, 0), dc.GetPixel(8, 8));
}

// A figure with a corner millions of pixels away still crosses the image where it should: the
// device leaves such figures to the painter, which clips them first.
TEST(QImageDevice, FarReachingFiguresCrossTheImageAsThePainterDraws) {
  const gdi::DevPoint wedge[3] = {{5, 5}, {60'000'000, 12}, {5, 25}};
  QImageDevice dc(40, 30);
  dc.SelectObject(dc.CreateSolidBrush(gdi::Rgb(255, 0, 0)));
  dc.SelectObject(dc.ExtCreatePen(gdi::PS_GEOMETRIC | gdi::PS_ENDCAP_FLAT | gdi::PS_JOIN_MITER, 3,
                                  gdi::Rgb(0, 0, 255)));
  dc.Polygon(wedge, 3);
  QImage expected(40, 30, QImage::Format_RGB32);
  expected.fill(0xFFFFFFFFu);
  {
    QPainter p(&expected);
    QPolygon polygon;
    for (const gdi::DevPoint& q : wedge) polygon << QPoint(q.x, q.y);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    p.drawPolygon(polygon, Qt::OddEvenFill);
    QPen pen(QColor(0, 0, 255), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(5);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(polygon, Qt::OddEvenFill);
  }
  EXPECT_EQ(dc.image(), expected);
}

}  // namespace
