// Glyph runs on the QImage device from the members of a TrueType collection and at small sizes,
// against FreeType's own rendering: hinted one-bit glyphs for upright text painted over the
// pixels, the exact outline for text combined with them.
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

constexpr int kWidth = 260, kHeight = 60, kOriginX = 4, kBaseline = 45;
const char kText[] = "mil1W";
constexpr int kLength = sizeof kText - 1;

// A run of `size` drawn `scale` times larger on the device: with hints, or the outline.
struct Case {
  int size;
  double scale;
  bool hinted;
  double turn = 0;  // the sine of a turn too small to see
};

// FreeType's picture of the run with the pen at the device's positions: the glyph origin at
// the scaled sum of the integer advances (the face's at `size`, rounded; the device run is given
// them too), rounded to a pixel. Hinted one-bit glyphs, or unhinted ones inked where coverage
// passes half.
bool FreeTypeInk(const std::string& path, int faceIndex, const Case& c, std::vector<bool>* ink,
                 std::vector<int32_t>* advances) {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  bool ok = FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, path.c_str(), faceIndex, &face) == 0 &&
            FT_Set_Char_Size(face, c.size * 64, 0, 72, 72) == 0;
  for (int i = 0; ok && i < kLength; ++i) {
    ok = FT_Load_Char(face, FT_ULong(kText[i]), FT_LOAD_NO_HINTING) == 0;
    advances->push_back(int32_t(std::lround(double(face->glyph->linearHoriAdvance) / 65536.0)));
  }
  const FT_F26Dot6 em = FT_F26Dot6(std::lround(c.size * c.scale * 64));
  ok = ok && FT_Set_Char_Size(face, 0, em, 72, 72) == 0;
  ink->assign(size_t(kWidth * kHeight), false);
  int pen = 0;
  for (int i = 0; ok && i < kLength; ++i) {
    ok = c.hinted
             ? FT_Load_Char(face, FT_ULong(kText[i]), FT_LOAD_TARGET_MONO) == 0 &&
                   FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO) == 0
             : FT_Load_Char(face, FT_ULong(kText[i]), FT_LOAD_NO_HINTING | FT_LOAD_RENDER) == 0;
    if (!ok) break;
    const FT_Bitmap& bm = face->glyph->bitmap;
    const long originX = std::lround(kOriginX + c.scale * pen);
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned col = 0; col < bm.width; ++col) {
        const long x = originX + face->glyph->bitmap_left + long(col);
        const long y = kBaseline - face->glyph->bitmap_top + long(r);
        const uint8_t* row = bm.buffer + r * unsigned(bm.pitch);
        const bool on = c.hinted ? (row[col >> 3] >> (7 - (col & 7))) & 1 : row[col] >= 128;
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight && on)
          (*ink)[size_t(y * kWidth + x)] = true;
      }
    pen += (*advances)[size_t(i)];
  }
  if (face) FT_Done_Face(face);
  if (lib) FT_Done_FreeType(lib);
  return ok;
}

// The device's run, black on white; inverting the pixels (as feedback text does) takes the
// outline.
std::vector<bool> DeviceInk(const std::string& path, int faceIndex, const Case& c,
                            const std::vector<int32_t>& advances) {
  gdi::QImageDevice dc(kWidth, kHeight);
  if (!c.hinted) dc.SetROP2(gdi::R2_NOT);
  gdi::GlyphRun run;
  run.fontPath = path.c_str();
  run.faceIndex = faceIndex;
  run.size = float(c.size);
  run.a = c.scale;
  run.b = c.turn * c.scale;
  run.c = -c.turn * c.scale;
  run.d = -c.scale;  // glyph space's y down is the device's
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
  for (const Case& c : {Case{40, 1, true}, Case{40, 1, false}}) {
    std::vector<bool> expected[2], drawn[2];
    for (int face = 0; face < 2; ++face) {
      std::vector<int32_t> advances;
      ASSERT_TRUE(FreeTypeInk(ttc, face, c, &expected[face], &advances));
      drawn[face] = DeviceInk(ttc, face, c, advances);
      EXPECT_LT(Mismatch(drawn[face], expected[face]), c.hinted ? 0.001 : 0.05)
          << "face " << face << (c.hinted ? ", hinted" : ", outline");
    }
    EXPECT_GT(Mismatch(expected[0], expected[1]), 0.3);  // the members' glyphs really differ
  }
}

// Small upright text keeps the stems and bars the hints keep: the run is FreeType's hinted
// picture exactly, at the size the zoom gives, with origins placed as the outline's, from a
// TrueType face and from a Type 1 one. Text turned a quarter and back (a landscape page's)
// counts as upright.
TEST(QImageText, SmallUprightTextTakesTheHintedGlyphs) {
  EnsureGuiApplication();
  int faces = 0;
  for (const char* font : {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                           "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1"}) {
    if (ReadFileBytes(font).empty()) continue;
    ++faces;
    for (const Case& c : {Case{12, 0.7, true}, Case{10, 0.55, true}, Case{9, 1.25, true},
                          Case{10, 0.55, true, -4.37e-8}}) {
      std::vector<bool> expected;
      std::vector<int32_t> advances;
      ASSERT_TRUE(FreeTypeInk(font, 0, c, &expected, &advances)) << font;
      EXPECT_EQ(Mismatch(DeviceInk(font, 0, c, advances), expected), 0)
          << font << ": " << c.size << " at " << c.scale;
    }
  }
  if (faces == 0) GTEST_SKIP() << "needs fonts-liberation or fonts-urw-base35";
}
