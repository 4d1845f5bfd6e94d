#include <gtest/gtest.h>

#include <sstream>

#include "fonts/ConverterTestSupport.h"
#include "fonts/Type3Converter.h"

namespace {

using convtest::Result;
Result Convert(const ttb::Bytes& font) { return convtest::Convert<Type3Converter>(font); }

// The procedure text of one CharStrings entry, between "/name{" and "}_d".
std::string Procedure(const std::string& text, const std::string& name) {
  size_t begin = text.find("/" + name + "{");
  if (begin == std::string::npos) return "<missing>";
  begin += name.size() + 2;
  size_t end = text.find("}_d\r\n", begin);
  return text.substr(begin, end - begin);
}

ttb::FontPlan FontWith(std::vector<ttb::Bytes> glyphs, std::vector<std::string> names) {
  ttb::FontPlan plan;
  plan.glyphs = std::move(glyphs);
  plan.glyphNames = std::move(names);
  plan.advances = {500};
  return plan;
}

}  // namespace

TEST(Type3Converter, HeaderNamesAndGlyphProcedures) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.notice = "(c) Someone";
  Result r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1) << r.log;
  // The notice becomes the copyright comment; the box is truncated toward zero.
  for (const char* part : {"%%Copyright: (c) Someone\r\n", "/FontName /TestFont def\r\n",
                           "/FontBBox[0 -199 1000 800]def\r\n", "/FontType 3 def\r\n"}) {
    EXPECT_TRUE(Contains(r.text, part)) << part;
  }
  // An empty glyph writes only its metrics, with a zero box.
  EXPECT_EQ(Procedure(r.text, "space"), "250 0 0 0 0 0 _sc\r\n");
  EXPECT_EQ(Procedure(r.text, "A"),
            "600 0 0 0 500 700 _sc\r\n0 0 _m\r\n250 700 _l\r\n500 0 _l\r\n0 0 _l\r\n_cl\r\n");
  EXPECT_TRUE(r.text.ends_with("FontName currentdict end definefont pop\r\n%%EOF\r\n"));
  EXPECT_TRUE(r.log.empty()) << r.log;
}

TEST(Type3Converter, SubProcedures) {
  auto polygon = [](int n) {
    ttb::Contour c;
    for (int i = 0; i < n; ++i) c.push_back({i * 10, (i % 2) * 50 + (i >= n / 2 ? 0 : 100), true});
    return c;
  };
  ttb::FontPlan plan = FontWith({{},
                                 ttb::SimpleGlyph({polygon(25)}),
                                 ttb::SimpleGlyph({polygon(26)}),
                                 ttb::SimpleGlyph({polygon(90)})},
                                {".notdef", "p25", "p26", "p90"});
  Result r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1) << r.log;
  std::string p25 = Procedure(r.text, "p25"), p26 = Procedure(r.text, "p26");
  EXPECT_TRUE(p25.starts_with("500 0 ") && p25.ends_with("_cl\r\n")) << p25;
  EXPECT_TRUE(p26.starts_with("{500 0 ") && p26.ends_with("_cl\r\n}_e\r\n")) << p26;
  EXPECT_FALSE(Contains(p26, "}_e{"));

  // A long glyph becomes a chain of procedures, none holding more than about 100 operands.
  std::string p90 = Procedure(r.text, "p90");
  EXPECT_TRUE(p90.starts_with("{500 0 ") && p90.ends_with("}_e\r\n")) << p90;
  size_t pieces = 0, operands = 0;
  std::istringstream tokens(p90);
  for (std::string token; tokens >> token;) {
    if (!Contains(token, "}_e")) {
      operands += std::isdigit(uint8_t(token.back())) != 0;
      continue;
    }
    EXPECT_LE(operands, 100u) << "piece " << pieces;
    operands = 0, ++pieces;
  }
  EXPECT_GE(pieces, 3u);
}

TEST(Type3Converter, CompositeGlyphs) {
  ttb::Bytes a = ttb::SimpleGlyph({{{0, 0, true}, {250, 700, true}, {500, 0, true}}});
  ttb::FontPlan plan =
      FontWith({{},
                a,
                ttb::CompositeGlyph({{1, 0, 0}, {1, 100, 0}}),
                ttb::CompositeGlyph({{1, 7, -3, 0}}),         // point matching, not offsets
                ttb::CompositeGlyph({{4, 0, 0}, {1, 0, 0}}),  // calls itself
                ttb::CompositeGlyph({{6, 0, 0}}),
                ttb::CompositeGlyph({{5, 0, 0}}),  // 5 and 6 call each other
                ttb::CompositeGlyph({{1, 0, 0, 0x0002, 8192}}),
                ttb::CompositeGlyph({{99, 0, 0}})},  // no such glyph
               {".notdef", "A", "Aacute", "B", "C", "D", "E", "F", "G"});
  plan.unitsPerEm = 2048;
  plan.advances = {1024};
  Result r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1) << r.log;
  // Components that would recurse without end are left out.
  EXPECT_EQ(Procedure(r.text, "C"), "500 0 0 0 0 0 _sc\r\nfalse CharStrings /A get exec\r\n");
  for (const char* g : {"D", "E", "G"})
    EXPECT_EQ(Procedure(r.text, g), "500 0 0 0 0 0 _sc\r\n") << g;
}

TEST(Type3Converter, CorruptFonts) {
  // Inconsistent flags: the repeat count runs past the three points.
  ttb::Bytes flags;
  ttb::Put16s(flags, {1, 0, 0, 100, 100, 2, 0});
  flags.insert(flags.end(), {0x09, 5, 0, 0});
  auto with = ttb::SmallFontWith;
  const struct {
    ttb::Bytes font;
    int32_t ok;
    std::string log, part;
  } cases[] = {
      {ttb::BuildFont(FontWith({{}, flags}, {".notdef", "a"})), 1,
       "Error in flags x=1, ct=5, num_pts=3\n", "/a{500 0 0 0 100 100 _sc\r\n}_d"},
      // No glyph names: only .notdef is defined, so the font still works.
      {with([](ttb::FontPlan& p) { p.postFormat3 = true; }), 1,
       "TrueType font does not have a format 2.0 'post' table\n",
       "/CharStrings 1 dict dup begin\r\n/.notdef{500 0 0 0 0 0 _sc\r\n}_d\r\nend readonly "
       "def\r\n"},
      // 'loca' pointing past 'glyf': the glyph is empty, reported once.
      {with([](ttb::FontPlan& p) { p.extraTables["glyf"] = ttb::Bytes(4, 0); }), 1,
       "TrueType font \"Test Font\" may be corrupt (reason 6)\n", "/A{600 0 0 0 0 0 _sc\r\n}_d"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    Result r = Convert(c.font);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(r.log, c.log);
    EXPECT_TRUE(c.ok ? Contains(r.text, c.part) : r.text.empty()) << r.text;
  }
}

TEST(Type3Interop, GhostscriptRendersLiberationSans) {
  convtest::ExpectGhostscriptRendersLiberationSans<Type3Converter>("type3_interop");
}
