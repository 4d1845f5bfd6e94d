// Metafile import: the mapping, the object table, the shapes each record makes and the
// normalisation onto the page.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/MetafileImport.h"
#include "output/OutputDriver.h"
#include "output/RoundTripDrawing.h"
#include "platform/gdi/WmfDevice.h"
#include "support/ModelTestSupport.h"
#include "support/OutputTestSupport.h"

namespace {

int32_t Convert(const std::string& b, ShapeList* out) {
  return ConvertMetafile(reinterpret_cast<const uint8_t*>(b.data()), b.size(), out);
}

}  // namespace

TEST(MetafileImport, SmallPictureIsScaledToThePageAndCentred) {
  gdi::WmfDevice dc;
  dc.Rectangle(0, 0, 100, 50);
  ShapeList shapes;
  ASSERT_EQ(Convert(Placeable(dc, 100, 50, 72), &shapes), 1);
  ASSERT_EQ(shapes.Count(), 1);
  ASSERT_EQ(shapes[0]->Kind(), kBoxShape);
  // 100 x 50 points grows by 612 / 100 = 6.12 (less than 792 / 50) and sits in the middle.
  ExpectRect(BoundsOf(shapes[0], 0), 0, 396 - 153, 612, 396 + 153, 4e-3f);
  DestroyShapes(&shapes);

  // 1440 units per inch: 2880 x 1440 units are 144 x 72 points, scaled alike (factor 4.25).
  gdi::WmfDevice twips;
  twips.Rectangle(0, 0, 2880, 1440);
  ASSERT_EQ(Convert(Placeable(twips, 2880, 1440, 1440), &shapes), 1);
  ExpectRect(BoundsOf(shapes[0], 0), 0, 396 - 153, 612, 396 + 153, 4e-3f);
  DestroyShapes(&shapes);

  // A wide picture without a placeable header is only turned upright and centred.
  gdi::WmfDevice plain;
  plain.Rectangle(10, 20, 410, 120);
  const std::vector<uint8_t>& b = plain.Finish();
  ASSERT_EQ(Convert(std::string(b.begin(), b.end()), &shapes), 1);
  ExpectRect(BoundsOf(shapes[0], 0), 106, 346, 506, 446, 4e-3f);
  DestroyShapes(&shapes);
}

TEST(MetafileImport, PensBrushesStockObjectsAndTheWindow) {
  gdi::WmfDevice dc;
  dc.SetMapMode(gdi::MM_ANISOTROPIC);
  dc.SetWindowOrg(0, 0);
  dc.SetWindowExt(1000, 1000);
  gdi::Handle dot = dc.CreatePen(gdi::PS_DOT, 7, gdi::Rgb(255, 0, 0));
  gdi::Handle brush = dc.CreateSolidBrush(gdi::Rgb(0, 128, 255));
  dc.SelectObject(dot);
  dc.SelectObject(brush);
  gdi::DevPoint tri[3] = {{0, 0}, {400, 0}, {200, 300}};
  dc.Polygon(tri, 3);
  gdi::Handle wide = dc.CreatePen(gdi::PS_SOLID, 6, gdi::Rgb(0, 0, 0));
  dc.SelectObject(wide);  // takes the freed slot after the dotted pen is deleted below
  dc.DeleteObject(dot);
  dc.SelectObject(dc.GetStockObject(gdi::NULL_BRUSH));
  dc.Polyline(tri, 3);
  dc.SaveDC();
  dc.SelectObject(dc.GetStockObject(gdi::NULL_PEN));
  dc.Ellipse(0, 0, 401, 301);
  dc.RestoreDC(-1);
  dc.MoveToEx(0, 0);
  dc.LineTo(400, 300);
  ShapeList shapes;
  ASSERT_EQ(Convert(Placeable(dc, 1000, 1000, 1000), &shapes), 1);
  ASSERT_EQ(shapes.Count(), 4);

  // Dashed pens are one unit wide; 128 * 100 / 255 is truncated to 50.
  const PaintStyle& poly = shapes[0]->style();
  ASSERT_EQ(V(shapes[0]->Kind(), shapes[1]->Kind(), shapes[2]->Kind(), shapes[3]->Kind()),
            V(kPolygonShape, kPolygonShape, kOvalShape, kLineShape));
  EXPECT_EQ(V(static_cast<PolygonShape*>(shapes[0])->closed, poly.strokeOn, poly.dash,
              poly.lineWidth, poly.fillOn),
            V(1, 1, 1, 1, 1));
  EXPECT_EQ(poly.strokeColor, (Color{100, 0, 0}));
  EXPECT_EQ(poly.fillColor, (Color{0, 50, 100}));
  const PaintStyle& line = shapes[1]->style();
  EXPECT_EQ(V(static_cast<PolygonShape*>(shapes[1])->closed, line.fillOn, line.dash), V(0, 0, -1));
  // 6 units, grown with the picture to the page's width (400.5 units).
  EXPECT_NEAR(line.lineWidth, 6 * 612 / 400.5, 1e-3);
  // Half of 401, truncated; after RestoreDC the wide pen is back.
  auto* oval = static_cast<OvalShape*>(shapes[2]);
  EXPECT_EQ(V(oval->style().strokeOn, oval->rx, oval->ry), V(0, 200, 150));
  EXPECT_FLOAT_EQ(shapes[3]->style().lineWidth, line.lineWidth);
  DestroyShapes(&shapes);
}

TEST(MetafileImport, TextHeightAlignmentColourAndEscapement) {
  roundtrip::ScopedFixedFonts fonts;
  gdi::WmfDevice dc;
  dc.Rectangle(0, 0, 1000, 1000);  // keeps the picture wide enough not to be scaled
  gdi::LogFont lf;
  lf.height = -20, lf.faceName = "Times New Roman", lf.weight = 700;
  dc.SelectObject(dc.CreateFontIndirect(lf));
  dc.SetTextColor(gdi::Rgb(255, 0, 0));
  dc.SetTextAlign(gdi::TA_BASELINE | gdi::TA_CENTER);
  dc.TextOutA(500, 500, "Mid", 3);
  lf.height = 30, lf.escapement = 900, lf.faceName = "Arial", lf.weight = 400;
  dc.SelectObject(dc.CreateFontIndirect(lf));
  dc.SetTextAlign(gdi::TA_TOP | gdi::TA_LEFT);
  dc.TextOutA(100, 100, "Up", 2);
  ShapeList shapes;
  ASSERT_EQ(Convert(Placeable(dc, 1000, 1000, 72), &shapes), 1);
  ASSERT_EQ(shapes.Count(), 3);
  ASSERT_EQ(shapes[1]->Kind(), kTextShape);
  auto* mid = static_cast<TextShape*>(shapes[1]);
  EXPECT_STREQ(mid->text(), "Mid");
  EXPECT_EQ(mid->font(), "TimesNewRomanPS-BoldMT");
  EXPECT_NEAR(std::hypot(mid->size() - 20, mid->leading() - 22), 0, 1e-5);
  EXPECT_EQ(mid->alignment(), kAlignCentre);
  EXPECT_EQ(mid->style().fillColor, (Color{100, 0, 0}));
  // The box keeps its size (1000 points is wide enough): the text is centred on the reference
  // point, its baseline through it, upright.
  Rect box = BoundsOf(shapes[0], 0), r = BoundsOf(mid, 0);
  EXPECT_NEAR((r.x1 + r.x2) / 2, box.x1 + 500, 0.01);
  EXPECT_NEAR(r.y2, box.y2 - 500 + 0.875f * 20, 0.01);
  EXPECT_GT(mid->matrix().d, 0);  // not mirrored
  // A positive height is the cell; these faces' cell is exactly one em. The escapement turns
  // the text a quarter counter-clockwise; its top-left frame corner sits on the point.
  auto* up = static_cast<TextShape*>(shapes[2]);
  EXPECT_EQ(up->font() + std::to_string(up->size()), "ArialMT30.000000");
  Point x = Transform(up->matrix(), 1, 0), o = Transform(up->matrix(), 0, 0);
  EXPECT_NEAR(x.x - o.x, 0, 1e-4);
  EXPECT_GT(x.y - o.y, 0);
  EXPECT_NEAR(std::hypot(o.x - box.x1 - 100, o.y - box.y2 + 100), 0, 0.01);
  DestroyShapes(&shapes);
}
