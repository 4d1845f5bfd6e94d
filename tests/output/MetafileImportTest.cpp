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
#include "output/OutputSink.h"
#include "output/RenderDrawing.h"
#include "output/RoundTripDrawing.h"
#include "platform/gdi/WmfDevice.h"
#include "render/WmfWriter.h"
#include "support/TestSupport.h"

namespace {

// A placeable metafile of the recorded device's records.
std::string Placeable(gdi::WmfDevice& dc, int16_t right, int16_t bottom, uint16_t upi) {
  uint8_t header[22];
  MakePlaceableHeader(0, 0, right, bottom, upi, header);
  const std::vector<uint8_t>& body = dc.Finish();
  return std::string(reinterpret_cast<char*>(header), 22) + std::string(body.begin(), body.end());
}

int32_t Convert(const std::string& b, ShapeList* out) {
  return ConvertMetafile(reinterpret_cast<const uint8_t*>(b.data()), b.size(), out);
}

Rect Bounds(Shape* s) {
  Rect r;
  s->GetBounds(&r, 0);
  return r;
}

void ExpectRect(const Rect& r, float x1, float y1, float x2, float y2) {
  EXPECT_LT(
      std::fabs(r.x1 - x1) + std::fabs(r.y1 - y1) + std::fabs(r.x2 - x2) + std::fabs(r.y2 - y2),
      4e-3)
      << r.x1 << " " << r.y1 << " " << r.x2 << " " << r.y2;
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
  ExpectRect(Bounds(shapes[0]), 0, 396 - 153, 612, 396 + 153);
  DestroyShapes(&shapes);

  // 1440 units per inch: 2880 x 1440 units are 144 x 72 points, scaled alike (factor 4.25).
  gdi::WmfDevice twips;
  twips.Rectangle(0, 0, 2880, 1440);
  ASSERT_EQ(Convert(Placeable(twips, 2880, 1440, 1440), &shapes), 1);
  ExpectRect(Bounds(shapes[0]), 0, 396 - 153, 612, 396 + 153);
  DestroyShapes(&shapes);

  // A wide picture without a placeable header is only turned upright and centred.
  gdi::WmfDevice plain;
  plain.Rectangle(10, 20, 410, 120);
  const std::vector<uint8_t>& b = plain.Finish();
  ASSERT_EQ(Convert(std::string(b.begin(), b.end()), &shapes), 1);
  ExpectRect(Bounds(shapes[0]), 106, 346, 506, 446);
  DestroyShapes(&shapes);
}

TEST(MetafileImport, OurExportComesBackAsShapesAndTexts) {
  roundtrip::ScopedFixedFonts fonts;
  Drawing d;
  roundtrip::BuildRoundTripDrawing(&d);
  const std::string path = TestWorkDir("wmf_import") + "/all.wmf";
  {
    FileSink sink(path);
    ASSERT_TRUE(sink.Open());
    WmfWriter writer(&sink);
    ASSERT_EQ(RenderDrawing(d, &writer, 0, 0, 9.0f, nullptr), 1);
    ASSERT_TRUE(sink.Close());
  }
  Drawing back;
  back.path = "old";
  ASSERT_EQ(ImportMetafileDrawing(back, path), 1);
  EXPECT_EQ(back.path, path.substr(0, path.size() - 4) + ".QLX");
  EXPECT_EQ(back.modified, 1);
  int texts = 0, polygons = 0;
  for (Shape* s : back.shapes())
    texts += s->Kind() == kTextShape, polygons += s->Kind() == kPolygonShape;
  EXPECT_TRUE(texts > 3 && polygons > 10) << texts << " " << polygons;
  // The picture keeps its size (72 units per inch, wider than 300 points) and is centred.
  Rect was = d.Extent(), now = back.Extent();
  // (Arrowheads, drawn as polygons, reach a little beyond the lines' ends.)
  EXPECT_NEAR(now.x2 - now.x1, was.x2 - was.x1, 15);
  EXPECT_NEAR(std::hypot((now.x1 + now.x2) / 2 - 306, (now.y1 + now.y2) / 2 - 396), 0, 0.01);

  // Insert adds on top and selects; a missing file fails with the insert message.
  const int32_t before = back.shapes().Count();
  ASSERT_EQ(InsertMetafile(back, path), 1);
  EXPECT_EQ(back.selection().Count(), back.shapes().Count() - before);
  EXPECT_EQ(InsertMetafile(back, path + ".missing"), 0);
  Drawing failed;
  failed.path = "kept?";
  EXPECT_EQ(ImportMetafileDrawing(failed, path + ".missing"), 0);
  EXPECT_EQ(failed.path + std::to_string(failed.shapes().Count()), "0");
}

TEST(MetafileImportInterop, LibreOfficeMetafileHasThePageGeometry) {
  if (RunCommand("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "no soffice";
  // A 288 x 144 point rectangle on its own, drawn by LibreOffice from an SVG.
  const std::string dir = TestWorkDir("wmf_libreoffice");
  ASSERT_TRUE(WriteFileBytes(dir + "/box.svg",
                             "<svg xmlns='http://www.w3.org/2000/svg' width='4in' height='2in' "
                             "viewBox='0 0 288 144'><rect x='0' y='0' width='288' height='144' "
                             "fill='#ff0000'/></svg>"));
  ASSERT_EQ(
      RunCommand("cd " + dir + " && soffice --headless --convert-to wmf box.svg >/dev/null 2>&1"),
      0);
  ShapeList shapes;
  ASSERT_EQ(ImportMetafile(dir + "/box.wmf", &shapes), 1);
  ASSERT_GT(shapes.Count(), 0);
  Rect r = BoundsOfList(shapes, 0);
  // 288 points wide is under 300, so the picture fills the page's width: 612 x 306.
  EXPECT_NEAR(r.x2 - r.x1, 612, 612 * 0.02);
  EXPECT_NEAR((r.y2 - r.y1) / (r.x2 - r.x1), 0.5, 0.02);
  EXPECT_NEAR((r.x1 + r.x2) / 2, 306, 0.5);
  DestroyShapes(&shapes);
}
