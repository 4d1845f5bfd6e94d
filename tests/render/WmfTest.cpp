// Metafile export (WmfWriter) and the record reader: the placeable header, the records a drawing
// becomes, damaged files refused whole, our export imported back, and outside players of our
// output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/MetafileImport.h"
#include "output/OutputSink.h"
#include "output/RenderDrawing.h"
#include "output/RoundTripDrawing.h"
#include "output/WmfReader.h"
#include "platform/gdi/WmfDevice.h"
#include "render/WmfWriter.h"
#include "support/OutputTestSupport.h"

namespace {

uint16_t U16(const std::string& b, size_t at) {
  return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

std::string ExportWmf(Drawing& d, const std::string& path) {
  FileSink sink(path);
  EXPECT_TRUE(sink.Open());
  WmfWriter writer(&sink);
  EXPECT_EQ(RenderDrawing(d, &writer, 0, 9.0f, nullptr), 1);
  EXPECT_TRUE(sink.Close());
  return ReadFileBytes(path);
}

int Count(const std::vector<MetaRecord>& recs, MetaKind kind) {
  int n = 0;
  for (const MetaRecord& r : recs) n += r.kind == kind;
  return n;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

}  // namespace

TEST(WmfWriter, PlaceableHeaderAndRecordsOfEveryShapeKind) {
  roundtrip::ScopedFixedFonts fonts;
  Drawing d;
  roundtrip::BuildRoundTripDrawing(&d);
  Rect e = d.Extent();
  std::string bytes = ExportWmf(d, TestWorkDir("wmf_writer") + "/all.wmf");
  ASSERT_GT(bytes.size(), 22u + 18u);
  // The box of the page (9-point border, rounded as RenderDrawing does) and the checksum over
  // the first ten words.
  uint16_t sum = 0;
  for (size_t i = 0; i < 10; ++i) sum ^= U16(bytes, 2 * i);
  EXPECT_EQ(V(U16(bytes, 10), U16(bytes, 12), U16(bytes, 20)),
            V(int32_t(e.x2 + 9.5f) - int32_t(e.x1 - 9.5f),
              int32_t(e.y2 + 9.5f) - int32_t(e.y1 - 9.5f), sum));

  MetafileInfo info;
  bool ok = false;
  std::vector<MetaRecord> recs = ReadAllRecords(bytes, &info, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(V(info.placeable, info.unitsPerInch), V(1, 72));
  EXPECT_GT(Count(recs, MetaKind::kPolygon), 10);
  for (MetaKind kind : {MetaKind::kLineTo, MetaKind::kTextOut, MetaKind::kCreateFont})
    EXPECT_GT(Count(recs, kind), 0) << int(kind);
  // Every pen, brush and font made for a shape is deleted after it (only the stock objects,
  // recorded once, stay).
  const int made = Count(recs, MetaKind::kCreatePen) + Count(recs, MetaKind::kCreateBrush) +
                   Count(recs, MetaKind::kCreateFont);
  EXPECT_LE(made - Count(recs, MetaKind::kDeleteObject), 4);
  // Text lines are written upright at the text's baseline in the selected font.
  EXPECT_TRUE(std::any_of(recs.begin(), recs.end(), [](const MetaRecord& r) {
    return r.kind == MetaKind::kCreateFont && r.font.faceName == "Arial";
  }));
}

TEST(WmfReader, DamagedFilesAreRefusedWhole) {
  gdi::WmfDevice dc;
  gdi::DevPoint pts[3] = {{0, 0}, {10, 0}, {5, 5}};
  dc.Rectangle(0, 0, 10, 10);
  dc.Polygon(pts, 3);
  const std::string good = Bytes(dc.Finish());
  MetafileInfo info;
  bool ok = false;
  ReadAllRecords(good, &info, &ok);
  ASSERT_TRUE(ok);
  ShapeList shapes;
  auto convert = [&](const std::string& b) {
    return ConvertMetafile(reinterpret_cast<const uint8_t*>(b.data()), b.size(), &shapes);
  };
  // Truncated anywhere: inside the header, inside a record, or before META_EOF.
  for (size_t n : {size_t(0), size_t(10), size_t(25), good.size() - 8, good.size() - 1}) {
    EXPECT_EQ(convert(good.substr(0, n)), 0) << n;
  }
  // A record of zero (or fewer than three) words.
  // A record longer than the file.
  for (auto [at, value] : {std::pair{18, 0}, {18, 2}, {20, 0x7F}}) {
    std::string bad = good;
    bad[size_t(at)] = char(value);
    EXPECT_EQ(convert(bad), 0) << at << " " << value;
  }
  // A polygon count past the end of its record (the rectangle is 7 words, then the polygon).
  std::string count = good;
  const size_t polygon = 18 + 14;
  ASSERT_EQ(U16(count, polygon + 4), gdi::META_POLYGON);
  count[polygon + 6] = 100;
  EXPECT_EQ(convert(count), 0);
  // A placeable key with nothing after it.
  std::string key("\xD7\xCD\xC6\x9A", 4);
  EXPECT_EQ(convert(key), 0);
  EXPECT_EQ(shapes.Count(), 0);
  EXPECT_EQ(convert(good), 1);
  EXPECT_EQ(shapes.Count(), 2);
  DestroyShapes(&shapes);
}

TEST(MetafileImport, OurExportComesBackAsShapesAndTexts) {
  roundtrip::ScopedFixedFonts fonts;
  Drawing d;
  roundtrip::BuildRoundTripDrawing(&d);
  const std::string path = TestWorkDir("wmf_import") + "/all.wmf";
  ExportWmf(d, path);
  Drawing back;
  back.path = "old";
  ASSERT_EQ(ImportMetafileDrawing(back, path), 1);
  EXPECT_EQ(back.path, path.substr(0, path.size() - 4) + ".QLX");
  EXPECT_EQ(back.modified, 1);
  int texts = 0, polygons = 0;
  for (Shape* s : back.shapes()) {
    texts += s->Kind() == kTextShape;
    polygons += s->Kind() == kPolygonShape;
  }
  EXPECT_GT(texts, 3);
  EXPECT_GT(polygons, 10);
  // The picture keeps its size (72 units per inch, wider than 300 points) and is centred.
  Rect was = d.Extent(), now = back.Extent();
  // (Arrowheads, drawn as polygons, reach a little beyond the lines' ends.)
  EXPECT_NEAR(now.x2 - now.x1, was.x2 - was.x1, 15);
  EXPECT_NEAR((now.x1 + now.x2) / 2, 306, 0.01);
  EXPECT_NEAR((now.y1 + now.y2) / 2, 396, 0.01);

  // Insert adds on top and selects; a missing file fails with the insert message.
  const int32_t before = back.shapes().Count();
  ASSERT_EQ(InsertMetafile(back, path), 1);
  EXPECT_EQ(back.selection().Count(), back.shapes().Count() - before);
  EXPECT_EQ(InsertMetafile(back, path + ".missing"), 0);
  Drawing failed;
  failed.path = "kept?";
  EXPECT_EQ(ImportMetafileDrawing(failed, path + ".missing"), 0);
  EXPECT_EQ(failed.path, "");
  EXPECT_EQ(failed.shapes().Count(), 0);
}

// Outside players of our metafiles: libwmf (wmf2svg) and ImageMagick.
TEST(WmfInterop, LibwmfAndImageMagickRenderOurMetafile) {
  if (RunCommand("command -v wmf2svg >/dev/null 2>&1") != 0) GTEST_SKIP() << "wmf2svg missing";
  roundtrip::ScopedFixedFonts fonts;
  Drawing d;
  roundtrip::BuildRoundTripDrawing(&d);
  const std::string dir = TestWorkDir("wmf_interop");
  ExportWmf(d, dir + "/all.wmf");
  EXPECT_EQ(RunCommand("wmf2svg -o " + dir + "/all.svg " + dir + "/all.wmf 2>" + dir + "/err"), 0)
      << ReadFileBytes(dir + "/err");
  const std::string svg = ReadFileBytes(dir + "/all.svg");
  EXPECT_TRUE(Contains(svg, "<svg"));
  EXPECT_TRUE(Contains(svg, "polygon"));
  if (RunCommand("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "convert missing";
  EXPECT_EQ(RunCommand("convert " + dir + "/all.wmf " + dir + "/all.png 2>" + dir + "/err2"), 0)
      << ReadFileBytes(dir + "/err2");
  // The picture is not blank: ImageMagick's mean of the image is below pure white.
  EXPECT_EQ(RunCommand("test \"$(convert " + dir +
                       "/all.png -colorspace gray -format '%[fx:mean<0.999]' info:)\" = 1"),
            0);
}
