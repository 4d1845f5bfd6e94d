#include <gtest/gtest.h>

#include <cmath>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "render/BandedDrawing.h"
#include "render/View.h"
#include "support/TestSupport.h"

namespace {

constexpr gdi::ColorRef kWhite = 0xFFFFFF, kBlack = 0;

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.Resize(800, 600);
    SetDrawTargetMode(kDrawToBuffer);
  }
  void TearDown() override { SetDrawTargetMode(kDrawToBuffer); }
  gdi::ColorRef Pixel(int x, int y) { return view.Window().GetPixel(x, y); }
  BoxShape* AddBox(float x1, float y1, float x2, float y2) {
    auto* box = new BoxShape(x1, y1, x2, y2);
    drawing.AddShape(box);
    return box;
  }

  Drawing drawing;
  View view{&drawing};
};

TEST_F(ViewTest, ZoomStaysWithinLimits) {
  const struct {
    float in, out;
  } cases[] = {{0.1f, 0.25f}, {0.25f, 0.25f}, {1.5f, 1.5f},
               {8.0f, 8.0f},  {9.0f, 8.0f},   {NAN, 0.25f}};
  for (const auto& c : cases) EXPECT_EQ(ClampZoom(c.in), c.out) << c.in;
}

TEST_F(ViewTest, FitCentresThePageAndThumbsGiveBackTheOffset) {
  for (int landscape : {0, 1}) {
    drawing.landscape = landscape;
    view.SetScroll(5, 7);
    view.FitInWindow();
    EXPECT_FLOAT_EQ(view.zoom(), landscape ? 600.0f / 684 : 600.0f / 864);
    Point centre = view.Transform(306, 396);
    EXPECT_LT(std::hypot(centre.x - 400, centre.y - 300), 0.01) << landscape;
    for (const ScrollBarSetting& bar : {view.HorizontalBar(), view.VerticalBar()})
      EXPECT_LE(std::abs(bar.position + bar.page / 2 - bar.maximum / 2), 1) << landscape;
  }
  // The drawing's x runs down the screen in landscape.
  Point p = view.Transform(306 + 10, 396);
  EXPECT_NEAR(p.y - 300, 10 * view.zoom(), 0.01);

  // The thumbs' positions give back the offset.
  view.SetZoom(1);
  view.SetScroll(36, -54);
  view.HorizontalThumb(view.HorizontalBar().position);
  view.VerticalThumb(view.VerticalBar().position);
  EXPECT_LE(std::hypot(view.ScrollX() - 36, view.ScrollY() + 54), 1.5);
}

TEST_F(ViewTest, GridShowsEveryFifthLineOrIsTooDense) {
  drawing.grid = GridSettings{10, 10, 1, 0};
  view.SetZoom(1);  // page point (x, y) at pixel (x + 94, 696 - y)
  view.Redraw(nullptr);
  EXPECT_EQ(Pixel(94 + 10, 696 - 150), kBlack);  // fifth row
  EXPECT_EQ(Pixel(94 + 50, 696 - 110), kBlack);  // fifth column
  EXPECT_EQ(Pixel(94 + 10, 696 - 110), kWhite);
  view.SetZoom(0.25f);
  SetStatusText("");
  view.Redraw(nullptr);
  EXPECT_EQ(StatusText(), "Grid is too dense to display");
}

TEST_F(ViewTest, MarkersDrawTheirPixels) {
  SetDrawTargetMode(kDrawToWindow);
  view.Handle(20, 20, 0);
  view.Handle(40, 20, 1);
  view.ControlMark(60, 20);
  view.CentreMark(80, 20);
  view.DottedLine(0, 40, 20, 40);
  view.ShadowBar(view.TargetDevice(), 100, 10, 100, 30, 10);
  const struct {
    int x, y;
    gdi::ColorRef color;
  } cases[] = {
      {17, 17, kWhite},   {18, 18, kBlack},    {22, 18, kBlack}, {19, 19, kWhite},
      {23, 20, kWhite},   {37, 17, kWhite},    {38, 18, kBlack}, {42, 22, kBlack},
      {43, 23, kWhite},   {60, 20, kBlack},    {76, 20, kBlack}, {84, 20, kBlack},
      {85, 20, kWhite},   {80, 16, kBlack},    {80, 24, kBlack}, {0, 40, kBlack},
      {3, 40, kWhite},    {6, 40, kBlack},     {18, 40, kBlack}, {19, 40, kWhite},
      {95, 10, 0x808080}, {104, 29, 0x808080}, {94, 20, kWhite}, {105, 20, kWhite},
  };
  for (const auto& c : cases) EXPECT_EQ(Pixel(c.x, c.y), c.color) << c.x << "," << c.y;
}

TEST_F(ViewTest, SelectRedrawCountsTheSelection) {
  BoxShape* first = AddBox(100, 100, 200, 200);
  AddBox(300, 300, 400, 400);
  AddBox(100, 500, 200, 600);
  view.Redraw(nullptr);
  auto status = [&] { return view.SelectRedraw(), StatusText(); };
  drawing.Select(first);
  EXPECT_EQ(status(), "1 object selected");
  drawing.SelectAll();
  EXPECT_EQ(status(), "3 objects selected");
  drawing.ClearSelection();
  EXPECT_EQ(status(), "");
}

TEST_F(ViewTest, OutlineRenderingIsBlackAndWhite) {
  BoxShape* box = AddBox(100, 100, 400, 400);
  box->SetPaintStyle(PaintStyle{6, 1, 1, Color{0, 0, 100}, Color{80, 20, 10}, -1, -1});
  drawing.Select(box);
  view.preview = false;
  view.Redraw(nullptr);
  const QImage& img = view.Window().image();
  int black = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb v = img.pixel(x, y) & 0xFFFFFF;
      ASSERT_TRUE(v == 0 || v == 0xFFFFFF) << x << "," << y;
      black += v == 0;
    }
  EXPECT_GT(black, 1000);  // frame, shadow, box outline and handles
}

TEST_F(ViewTest, DoubleDensityDoublesBuffersButNotMarkerSizes) {
  view.Resize(400, 300, 2.0);
  EXPECT_EQ(V(view.Window().width(), view.Working().height()), V(800, 600));
  view.FitInWindow();
  Point centre = view.Transform(306, 396);
  EXPECT_LT(std::hypot(centre.x - 400, centre.y - 300), 0.01);
  SetDrawTargetMode(kDrawToWindow);
  view.Handle(100, 100, 1);
  int black = 0, first = -1;
  for (int x = 80; x < 120; ++x)
    if (Pixel(x, 100) == kBlack) {
      ++black;
      if (first < 0) first = x;
    }
  // 5 logical pixels inside a white border, 7 in all.
  EXPECT_EQ(V(black, first, Pixel(100 - 6, 100)), V(10, 100 - 4, kWhite));
}

// A drawing large enough to be painted in bands: the clean buffer gets every band's pixels
// without handles, and the window the same with them, in both modes.
TEST_F(ViewTest, BandsReachTheCleanBufferAndTheWindow) {
  for (int i = 0; i < kBandedShapes + 20; ++i) {
    const float x = float(i % 20) * 30, y = float(i / 20) * 30;
    AddBox(x, y, x + 25, y + 25);
  }
  BoxShape* selected = AddBox(200, 200, 300, 300);
  for (bool preview : {true, false}) {
    view.preview = preview;
    drawing.ClearSelection();
    view.Redraw(nullptr);
    const QImage plain = view.Window().image().copy();
    EXPECT_EQ(view.Clean().image(), plain) << preview;
    drawing.Select(selected);
    view.Redraw(nullptr);
    EXPECT_EQ(view.Clean().image(), plain) << preview;
    EXPECT_NE(view.Window().image(), plain) << preview;
  }
}

}  // namespace
