// The metafiles LibreOffice writes of an SVG scene, imported and exported as our BMP, look like
// LibreOffice's own picture of the scene (its PNG export).
//
// The two pictures differ in resolution and margins, so ours is placed onto theirs by the boxes
// of inked pixels; both are then reduced 4x by box averaging, so that edges a pixel apart and
// the smoothing of LibreOffice's edges mostly average out, and at most kMostDifferingShare of
// the reduced pixels may differ by more than 20% in any channel (3.8% of the WMF's and 3.7% of
// the EMF's did when this was written). What differs is how the two draw: the text's strokes
// (the same face at the same size and place, hinted and smoothed differently), and edges a pixel
// apart where a thin outline falls between the two pictures' pixel grids.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/MetafileImport.h"
#include "render/RegisterRender.h"
#include "support/LibreOfficeScene.h"
#include "support/OutputTestSupport.h"
#include "support/PixelCompare.h"
#include "support/RenderTestSupport.h"

namespace {

constexpr int kReduce = 4, kChannelTolerance = 51;  // 20% of 255
constexpr double kMostDifferingShare = 0.05;        // of the reduced pixels

// An image file as RGB on white (LibreOffice's PNG leaves the page transparent).
Pnm ReadOnWhite(const std::string& path) {
  const QImage image(QString::fromStdString(path));
  if (image.isNull()) return Pnm{};
  QImage flat(image.size(), QImage::Format_RGB888);
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, image);
  painter.end();
  Pnm out{flat.width(), flat.height(), 3, std::string(size_t(flat.width()) * flat.height() * 3, 0)};
  for (int y = 0; y < flat.height(); ++y)
    std::memcpy(out.pixels.data() + size_t(y) * flat.width() * 3, flat.constScanLine(y),
                size_t(flat.width()) * 3);
  return out;
}

}  // namespace

class MetafileLibreOfficePictureInterop : public ::testing::TestWithParam<const char*> {};

TEST_P(MetafileLibreOfficePictureInterop, LooksLikeLibreOfficesPicture) {
  if (!libreoffice::Installed()) GTEST_SKIP() << "soffice is not installed";
  EnsureGuiApplication();
  testfonts::ScopedSystemFonts systemFonts;
  RegisterRender();
  const std::string kind = GetParam();
  const std::string metafile = libreoffice::ConvertScene(kind);
  const std::string png = libreoffice::ConvertScene("png");
  ASSERT_FALSE(metafile.empty() || png.empty());
  Drawing drawing;
  ASSERT_EQ(ImportMetafile(metafile, &drawing.shapes()), 1);
  const std::string bmp = TestWorkDir("libreoffice_picture_" + kind) + "/ours.bmp";
  // LibreOffice smooths its edges; ours are smoothed too, at the "Normal" setting.
  ASSERT_TRUE(ExportTo(drawing, kExportBmp, bmp, ExportOptions{.smoothing = 2}));
  const Pnm ours = pixels::ReadBmp24(bmp), theirs = ReadOnWhite(png);
  ASSERT_GT(std::min(pixels::CountInked(ours), pixels::CountInked(theirs)), 0u);

  size_t inked = 0, total = 0;
  const size_t differing = pixels::CountReducedDiffering(
      pixels::Register(ours, theirs), theirs, kReduce, kChannelTolerance, &inked, &total);
  std::printf("%s against LibreOffice's picture: %zu of %zu reduced pixels differ (%.2f%%)\n",
              kind.c_str(), differing, total, 100.0 * double(differing) / double(total));
  EXPECT_LE(double(differing) / double(total), kMostDifferingShare) << kind;
}

INSTANTIATE_TEST_SUITE_P(Kinds, MetafileLibreOfficePictureInterop, ::testing::Values("wmf", "emf"));
