// Exports frame everything drawn, and the screen draws lines and arrowheads as the bitmap
// driver does.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "model/Drawing.h"
#include "model/GraphicsState.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "output/RenderDrawing.h"
#include "output/RoundTripDrawing.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/BitmapRenderer.h"
#include "render/GdiPainter.h"
#include "render/RegisterRender.h"
#include "support/PixelCompare.h"
#include "support/RenderTestSupport.h"

namespace {

Pnm ToPnm(const QImage& image) {
  QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  Pnm out{rgb.width(), rgb.height(), 3, {}};
  for (int y = 0; y < rgb.height(); ++y)
    out.pixels.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), size_t(rgb.width()) * 3);
  return out;
}

}  // namespace

TEST(ExportInkBounds, ThickLineWithArrowsExportsWholeInEveryFormat) {
  EnsureGuiApplication();
  RegisterRender();
  Drawing drawing;
  auto* line = new LineShape(150, 400, 450, 400);
  line->SetLineWidth(30);
  line->SetArrows(Arrowhead{1, 0}, Arrowhead{2, 0});
  ASSERT_TRUE(drawing.AddShape(line));
  // Heads reach 6 x 30 beyond the ends and 2 x 30 across: -30 340 630 460, then the 9-point
  // border: -39 330 639 469, a picture of 678 x 139.
  const struct {
    int32_t kind;
    long offset;  // where the bytes stand; -1 anywhere
    std::string bytes;
  } rows[] = {
      {kExportEps, -1, "%%BoundingBox: -39 330 639 469\r\n"},
      {kExportPostScript, -1, "%%BoundingBox: -39 330 639 469\r\n"},
      {kExportIllustrator, -1, "%%BoundingBox: -39 330 639 469\r\n"},
      {kExportPdf, -1, "/MediaBox [ -39 330 639 469 ]"},
      {kExportBmp, 18, std::string("\xA6\x02\0\0\x8B\0\0\0", 8)},
      {kExportWmf, 6, std::string("\0\0\0\0\xA6\x02\x8B\0", 8)},
  };
  const std::string dir = TestWorkDir("export_ink_bounds");
  for (const auto& row : rows) {
    const std::string path = dir + "/k" + std::to_string(row.kind);
    ASSERT_TRUE(ExportTo(drawing, row.kind, path)) << row.kind;
    const std::string bytes = ReadFileBytes(path);
    if (row.offset < 0)
      EXPECT_NE(bytes.find(row.bytes), std::string::npos) << row.kind;
    else
      EXPECT_EQ(bytes.substr(size_t(row.offset), row.bytes.size()), row.bytes) << row.kind;
  }
  // The native file's header keeps the shapes' own bounds.
  const std::string native = dir + "/d.qlx";
  ASSERT_EQ(SaveDrawing(drawing, native), 1);
  EXPECT_NE(ReadFileBytes(native).find("%%BoundingBox: 140 390 459 409\r\n"), std::string::npos);
}

TEST(ScreenBitmapAgreement, ScreenDrawingMatchesTheBitmapDriverAt72Dpi) {
  EnsureGuiApplication();
  roundtrip::ScopedFixedFonts fonts;  // texts are placed but drawn by neither side
  Drawing drawing;
  roundtrip::BuildRoundTripDrawing(&drawing);
  const PageInfo page = MakePageInfo(drawing, 9, PageBox::kInk);
  FileSink sink(TestWorkDir("screen_bitmap") + "/d.bmp");
  ASSERT_TRUE(sink.Open());
  BitmapRenderer driver(&sink, 1);
  ASSERT_EQ(driver.BeginDocument(&page, 0, nullptr), 1);
  ASSERT_TRUE(WriteShapeList(drawing.shapes(), &driver, nullptr));
  const Pnm bitmap = ToPnm(driver.Bitmap()->image());

  gdi::QImageDevice screen(bitmap.width, bitmap.height);
  GdiPainter painter;
  painter.SetBufferDevice(&screen);
  PathPainter* oldPainter = CurrentPathPainter();
  SetPathPainter(&painter);
  SetDrawTargetMode(kDrawToBuffer);
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.setmatrix(ToMatrixD(driver.DeviceMatrix()));
  DrawShapeList(drawing.shapes(), 1, nullptr);
  gs.grestore();
  SetPathPainter(oldPainter);
  driver.EndDocument(nullptr);
  const Pnm shown = ToPnm(screen.image());

  // 0.35% when this was written, none of it at the arrowheads.
  const double area = double(shown.width) * double(shown.height);
  EXPECT_LE(double(pixels::CountDiffering(shown, bitmap, 0)), 0.005 * area);
}
