// The PDF's widths of each Type 1 face on this machine are those of the glyph the viewer shows
// at each code through WinAnsiEncoding. The glyph is the one the screen draws too: FreeType's
// Unicode charmap at the code page 1252 character (the screen's path to its glyphs), so a code
// whose glyph the font lacks has no width either.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fonts/FontManager.h"
#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "output/PdfWriter.h"
#include "output/RenderDrawing.h"
#include "platform/fontsys/Cp1252.h"
#include "platform/type1/Type1Fonts.h"
#include "support/OutputTestSupport.h"

namespace {

// "WX w ; N name" of every glyph in an AFM file.
std::map<std::string, int> AfmWidthsByName(const std::string& path) {
  std::map<std::string, int> widths;
  std::istringstream in(ReadFileBytes(path));
  static const std::regex glyph(R"(WX\s+(-?[0-9.]+)\s*;\s*N\s+(\S+))");
  std::smatch m;
  for (std::string line; std::getline(in, line);) {
    if (std::regex_search(line, m, glyph)) widths[m[2]] = int(std::stod(m[1]) + 0.5);
  }
  return widths;
}

// /Widths of font /F<n> of a PDF, indexed by code; empty when it has none.
std::map<int, int> PdfWidths(const std::string& pdf, int n) {
  std::map<int, int> widths;
  const std::string key = "/Name /F" + std::to_string(n) + "\r\n";
  size_t at = pdf.find(key);
  if (at == std::string::npos) return widths;
  static const std::regex table(R"(/FirstChar (\d+)\s+/LastChar (\d+)\s+/Widths \[([^\]]*)\])");
  std::smatch m;
  std::string rest = pdf.substr(at);
  if (!std::regex_search(rest, m, table)) return widths;
  std::istringstream values(m[3]);
  int code = std::stoi(m[1]);
  for (int w; values >> w;) widths[code++] = w;
  return widths;
}

struct FreeTypeLibrary {
  FT_Library lib = nullptr;
  FreeTypeLibrary() { FT_Init_FreeType(&lib); }
  ~FreeTypeLibrary() { FT_Done_FreeType(lib); }
};

}  // namespace

TEST(Type1PdfWidths, EveryCodeHasTheWidthOfItsWinAnsiGlyph) {
  // Symbol fonts keep their own codes; every text face shows code page 1252.
  std::vector<Type1Face> faces;
  for (const Type1Face& f : ListFontconfigType1Faces()) {
    if (f.metricsPath.find("urw") != std::string::npos &&
        ReadFileBytes(f.metricsPath).find("EncodingScheme FontSpecific") == std::string::npos)
      faces.push_back(f);
  }
  if (faces.empty()) GTEST_SKIP() << "no URW Type 1 faces installed";

  auto fonts = std::make_unique<testfonts::FixedFonts>();
  std::vector<std::string> names;
  for (const Type1Face& f : faces) {
    fonts->Add(std::make_unique<Type1FontFace>(f));
    names.push_back(f.postScriptName);
  }
  testfonts::ScopedFonts scoped(std::move(fonts));
  Drawing empty;
  StringSink sink;
  ResetPaintStyleCache();
  {
    PdfWriter writer(&sink, names);
    ASSERT_EQ(RenderDrawing(empty, &writer, 0, 9, nullptr), 1);
  }

  FreeTypeLibrary ft;
  ASSERT_NE(ft.lib, nullptr);
  for (size_t i = 0; i < faces.size(); ++i) {
    SCOPED_TRACE(faces[i].postScriptName);
    const std::map<int, int> pdf = PdfWidths(sink.text, int(i) + 1);
    const std::map<std::string, int> afm = AfmWidthsByName(faces[i].metricsPath);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(ft.lib, faces[i].pfbPath.c_str(), 0, &face), 0);
    ASSERT_EQ(FT_Select_Charmap(face, FT_ENCODING_UNICODE), 0);
    for (int code = 32; code < 256; ++code) {
      const FT_UInt glyph = FT_Get_Char_Index(face, Cp1252ToUnicode(uint8_t(code)));
      char name[64] = "";
      if (glyph) FT_Get_Glyph_Name(face, glyph, name, sizeof name);
      const auto expected = afm.find(name);
      const auto written = pdf.find(code);
      EXPECT_EQ(written == pdf.end() ? 0 : written->second,
                expected == afm.end() ? 0 : expected->second)
          << "code " << code << " glyph " << name;
    }
    FT_Done_Face(face);
  }
}
