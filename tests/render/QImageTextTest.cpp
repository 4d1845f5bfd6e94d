// Glyph runs on the QImage device from the members of a TrueType collection, against FreeType's
// own rendering of each member.
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

#include <QGuiApplication>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gdi/qt/QImageDevice.h"
#include "support/RenderTestSupport.h"
#include "support/TestSupport.h"

namespace {

constexpr int kWidth = 260, kHeight = 60, kSize = 40, kOriginX = 4, kBaseline = 45;
const char kText[] = "mil1W";
constexpr int kLength = sizeof kText - 1;

// FreeType's unhinted picture of the run, inked where coverage passes half, with the pen moved
// by the face's advances rounded to pixels (which the device run is given too).
bool FreeTypeInk(const std::string& path, int faceIndex, std::vector<bool>* ink,
                 std::vector<int32_t>* advances) {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  bool ok = FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, path.c_str(), faceIndex, &face) == 0 &&
            FT_Set_Char_Size(face, kSize * 64, 0, 72, 72) == 0;
  ink->assign(size_t(kWidth * kHeight), false);
  int pen = kOriginX;
  for (int i = 0; ok && i < kLength; ++i) {
    ok = FT_Load_Char(face, FT_ULong(kText[i]), FT_LOAD_NO_HINTING | FT_LOAD_RENDER) == 0;
    if (!ok) break;
    const FT_Bitmap& bm = face->glyph->bitmap;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        int x = pen + face->glyph->bitmap_left + int(c),
            y = kBaseline - face->glyph->bitmap_top + int(r);
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight &&
            bm.buffer[r * unsigned(bm.pitch) + c] >= 128)
          (*ink)[size_t(y * kWidth + x)] = true;
      }
    advances->push_back(int32_t(std::lround(double(face->glyph->linearHoriAdvance) / 65536.0)));
    pen += advances->back();
  }
  if (face) FT_Done_Face(face);
  if (lib) FT_Done_FreeType(lib);
  return ok;
}

std::vector<bool> DeviceInk(const std::string& path, int faceIndex,
                            const std::vector<int32_t>& advances) {
  gdi::QImageDevice dc(kWidth, kHeight);
  gdi::GlyphRun run;
  run.fontPath = path.c_str();
  run.faceIndex = faceIndex;
  run.size = kSize;
  run.d = -1;  // glyph space's y down is the device's
  run.x = kOriginX;
  run.y = kBaseline;
  run.text = kText;
  run.length = kLength;
  run.advances = advances.data();
  EXPECT_TRUE(dc.DrawGlyphRun(run));
  std::vector<bool> ink(size_t(kWidth * kHeight));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ink[size_t(y * kWidth + x)] = (dc.GetPixel(x, y) & 0xFF) < 128;
  return ink;
}

// Pixels inked in one picture only, as a share of those inked in either.
double Mismatch(const std::vector<bool>& a, const std::vector<bool>& b) {
  int either = 0, one = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    either += a[i] || b[i];
    one += a[i] != b[i];
  }
  return either ? double(one) / either : 0;
}

}  // namespace

TEST(QImageText, CollectionMembersDrawTheirOwnGlyphs) {
  const std::string ttc = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
  if (ReadFileBytes(ttc).empty()) GTEST_SKIP() << "needs fonts-wqy-microhei";
  EnsureGuiApplication();
  std::vector<bool> expected[2], drawn[2];
  for (int face = 0; face < 2; ++face) {
    std::vector<int32_t> advances;
    ASSERT_TRUE(FreeTypeInk(ttc, face, &expected[face], &advances));
    drawn[face] = DeviceInk(ttc, face, advances);
    EXPECT_LT(Mismatch(drawn[face], expected[face]), 0.05) << "face " << face;
  }
  EXPECT_GT(Mismatch(expected[0], expected[1]), 0.3);  // the members' glyphs really differ
}
