// Each way a face is embedded (TrueType as Type 42 or Type 3, Type 1 from its PFB) must print in
// Ghostscript without a substitute and look like the font itself: the page Ghostscript renders is
// compared with FreeType's rendering of the same font file, string and size.
#include <gtest/gtest.h>
// clang-format off
#include <ft2build.h>
#include FT_FREETYPE_H
// clang-format on

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "fonts/FontManager.h"
#include "fonts/StringSink.h"
#include "support/OutputTestSupport.h"

namespace {

const std::string kLiberationSans =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const std::string kNimbusPfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const std::string kNimbusAfm = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";

// The page: 612 x 792 pixels at 72 dpi, one line of text at 48 points with its origin at (72, 400)
// in PostScript coordinates.
constexpr int kWidth = 612, kHeight = 792, kSize = 48, kOriginX = 72, kOriginY = 400;
const char kText[] = "Hamburgefonstiv 0123";

// Both rasterizers draw unhinted outlines by the pixel-centre rule here (Ghostscript with its
// TrueType grid fitting and its fill widening off), so they agree within a fraction of a per cent;
// what is left is an edge pixel here and there. The ink box may differ by this much per side...
constexpr int kBoxTolerance = 2;
// ...and the count of inked pixels by this fraction: room for other versions of either, while the
// smallest glyph of the string ("i", about 2% of the ink), a wrong size or a substitute font falls
// outside it.
constexpr double kInkTolerance = 0.015;

struct Ink {
  int left = kWidth, top = kHeight, right = -1, bottom = -1;
  long count = 0;
  void Add(int x, int y) {
    left = std::min(left, x), right = std::max(right, x);
    top = std::min(top, y), bottom = std::max(bottom, y);
    ++count;
  }
};

// Ink of the PGM Ghostscript's pgmraw device writes: dark pixels.
bool ReadPgmInk(const std::string& path, Ink* ink) {
  Pnm pgm = ReadPnm(path);
  if (pgm.channels != 1 || pgm.width != kWidth || pgm.height != kHeight) return false;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (uint8_t(pgm.pixels[size_t(y) * kWidth + size_t(x)]) < 128) ink->Add(x, y);
  return true;
}

// FreeType's rendering of the same text: unhinted outlines, advances in 26.6 pixels, coverage of
// at least one half counted as ink.
bool FreeTypeInk(const std::string& fontPath, Ink* ink) {
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) != 0) return false;
  std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> libOwner(lib, FT_Done_FreeType);
  FT_Face face = nullptr;
  if (FT_New_Face(lib, fontPath.c_str(), 0, &face) != 0) return false;
  if (FT_Set_Char_Size(face, kSize * 64, 0, 72, 72) != 0) return false;
  std::vector<uint8_t> canvas(size_t(kWidth) * kHeight, 0);
  FT_Pos penX = kOriginX * 64;
  for (const char* p = kText; *p; ++p) {
    FT_UInt glyph = FT_Get_Char_Index(face, FT_ULong(uint8_t(*p)));
    if (glyph == 0) return false;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    // Whole pixels: the sub-pixel part of the pen moves the glyph less than the tolerances.
    int x0 = int((penX + 32) >> 6) + slot->bitmap_left;
    int y0 = (kHeight - kOriginY) - slot->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        int x = x0 + int(c), y = y0 + int(r);
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
        uint8_t& v = canvas[size_t(y) * kWidth + size_t(x)];
        v = std::max(v, bm.buffer[long(r) * bm.pitch + long(c)]);
      }
    penX += slot->advance.x;
  }
  FT_Done_Face(face);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (canvas[size_t(y) * kWidth + size_t(x)] >= 128) ink->Add(x, y);
  return true;
}

// Renders the font program with the text in Ghostscript; checks its messages; compares the ink
// with FreeType's rendering of `fontPath`.
void CheckEmbedding(const std::string& name, const std::string& program,
                    const std::string& postScriptName, const std::string& fontPath) {
  SCOPED_TRACE(name);
  std::string dir = TestWorkDir("font_embedding_" + name);
  // Ghostscript has fonts of its own (Nimbus Sans among them) and may reach the system's through
  // fontconfig, so a font under its own name could be drawn even if our program were never
  // defined. Under a name nobody else has, only the embedded program can answer findfont.
  std::string fontName = "/FontName /" + postScriptName + " def";
  size_t at = program.find(fontName);
  ASSERT_NE(at, std::string::npos) << name;
  std::string probe = "OndaraProbe-" + name;
  std::string renamed = program;
  renamed.replace(at, fontName.size(), "/FontName /" + probe + " def");
  // Ghostscript widens every fill by a fraction of a pixel (its fill adjust), which thickens
  // Type 3 glyphs, since they are ordinary fills, but not the fonts its rasterizer draws; without
  // it all three are drawn by the pixel-centre rule FreeType's outlines are compared under.
  std::string page = "%!PS-Adobe-3.0\n/.setfilladjust2 where {pop 0 0 .setfilladjust2} if\n" +
                     renamed + "\n/" + probe + " findfont " + std::to_string(kSize) +
                     " scalefont setfont\n" + std::to_string(kOriginX) + " " +
                     std::to_string(kOriginY) + " moveto (" + kText + ") show\nshowpage\n";
  ASSERT_TRUE(WriteFileBytes(dir + "/page.ps", page));
  ExpectGhostscriptClean("-sDEVICE=pgmraw -r72 -g612x792 -dGridFitTT=0 -sOutputFile=" + dir +
                             "/page.pgm " + dir + "/page.ps",
                         dir + "/gs.log");

  Ink gs, ft;
  ASSERT_TRUE(ReadPgmInk(dir + "/page.pgm", &gs));
  ASSERT_TRUE(FreeTypeInk(fontPath, &ft));
  ASSERT_GT(ft.count, 0);
  EXPECT_NEAR(gs.left, ft.left, kBoxTolerance) << name;
  EXPECT_NEAR(gs.right, ft.right, kBoxTolerance) << name;
  EXPECT_NEAR(gs.top, ft.top, kBoxTolerance) << name;
  EXPECT_NEAR(gs.bottom, ft.bottom, kBoxTolerance) << name;
  EXPECT_NEAR(double(gs.count), double(ft.count), kInkTolerance * double(ft.count)) << name;
}

TEST(FontEmbeddingInterop, TrueTypeAsType42AndType3) {
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  if (!std::filesystem::exists(kLiberationSans)) GTEST_SKIP() << kLiberationSans;
  TrueTypeFontList fonts(TestWorkDir("font_embedding_profile") + "/ulvex.ini");
  fonts.UseFontFiles({kLiberationSans});
  ASSERT_EQ(fonts.LoadFonts(), 1);
  FontFace* face = fonts.FindFace("LiberationSans");
  ASSERT_NE(face, nullptr);
  for (int type42 : {1, 0}) {
    StringSink sink;
    ASSERT_EQ(face->Download(&sink, type42), 1);
    CheckEmbedding(type42 ? "type42" : "type3", sink.text, "LiberationSans", kLiberationSans);
  }
}

TEST(FontEmbeddingInterop, Type1FromPfb) {
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  if (!std::filesystem::exists(kNimbusPfb) || !std::filesystem::exists(kNimbusAfm))
    GTEST_SKIP() << kNimbusPfb;
  Type1FontFace face({"Nimbus Sans", "NimbusSans-Regular", 0, kNimbusAfm, kNimbusPfb});
  StringSink sink;
  ASSERT_EQ(face.Download(&sink, 0), 1);
  CheckEmbedding("type1", sink.text, "NimbusSans-Regular", kNimbusPfb);
}

}  // namespace
