#include <gtest/gtest.h>

#include "fonts/ConverterTestSupport.h"
#include "fonts/Type3Converter.h"
#include "fonts/Type42Converter.h"

namespace {

using convtest::Result;
Result Convert(const ttb::Bytes& font) { return convtest::Convert<Type42Converter>(font); }

// The TrueType data the interpreter sees: the sfnts strings' hex digits decoded, every string
// without its odd closing byte.
ttb::Bytes SfntsData(const std::string& text) {
  const size_t begin = text.find("/sfnts["), end = text.find("]def", begin);
  ttb::Bytes data;
  std::string digits;
  for (size_t i = begin; end != std::string::npos && i < end; ++i) {
    if (text[i] == '>' && !data.empty()) data.pop_back();
    if (std::isxdigit(uint8_t(text[i])) && text.find('<', i) > text.find('>', i)) digits += text[i];
    if (digits.size() == 2) data.push_back(uint8_t(std::stoi(digits, nullptr, 16))), digits.clear();
  }
  return data;
}

}  // namespace

TEST(Type42Converter, FontInfoAndCharStrings) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.notice = "Copyright (c) 2024 Someone";
  plan.trademark = "Test is a trademark";
  plan.italicAngle = 0xFFF38000;  // -12.5
  Result r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1) << r.log;
  // The box is truncated toward zero; notice and trademark make one escaped notice.
  for (const char* part : {"%%Copyright: Copyright (c) 2024 Someone\r\n",
                           "/FontBBox[0 -199 1000 800]def\r\n", "/FontType 42 def\r\n",
                           "/Notice (Copyright \\(c\\) 2024 Someone Test is a trademark) def\r\n",
                           "/ItalicAngle -12.5 def\r\n", "end readonly def\r\n/sfnts[<"}) {
    EXPECT_TRUE(Contains(r.text, part)) << part;
  }
  EXPECT_TRUE(Contains(r.text,
                       "/CharStrings 3 dict dup begin\r\n/.notdef 0 def\r\n/A 1 def\r\n"
                       "/space 2 def\r\nend readonly def\r\n"));
  EXPECT_TRUE(
      Contains(r.text, "{/TrueDict where{pop}{(%%[ Error: no TrueType rasterizer ]%%)= flush}"));
  EXPECT_TRUE(r.text.ends_with("\r\nFontName currentdict end definefont pop\r\n%%EOF\r\n"));
  EXPECT_TRUE(r.log.empty()) << r.log;
}

// Names from the 'post' table (bad ones replaced), missing ASCII names from the 'cmap', and a
// .notdef entry for glyph 0 always.
TEST(Type42Converter, CharStringsNames) {
  const struct {
    std::vector<std::string> names;
    std::map<int, int> cmap;
    bool post3;
    std::string charStrings, log;
  } cases[] = {
      {{".notdef", "Aring.alt", "s", std::string(80, 'x'), "bad name", std::string(79, 'y')},
       {},
       false,
       "6 dict dup begin\r\n/.notdef 0 def\r\n/Aring.alt 1 def\r\n/s 2 def\r\n/glyph3 3 def\r\n"
       "/glyph4 4 def\r\n/" +
           std::string(79, 'y') + " 5 def\r\n",
       "TrueType font file contains a very long PostScript name\n"},
      {{},
       {{0x20, 2}, {0x41, 1}, {0x42, 7}},
       true,
       "3 dict dup begin\r\n/.notdef 0 def\r\n/space 2 def\r\n/A 1 def\r\n",
       "TrueType font \"Test Font\" does not have a format 2.0 'post' table\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.charStrings);
    ttb::FontPlan plan = ttb::SmallFont();
    plan.glyphNames = c.names;
    plan.glyphs.resize(std::max<size_t>(3, c.names.size()));
    plan.cmap = c.cmap;
    plan.postFormat3 = c.post3;
    std::map<std::string, ttb::Bytes> tables;
    Result r = Convert(ttb::BuildFont(plan, &tables));
    ASSERT_EQ(r.ok, 1) << r.log;
    EXPECT_TRUE(Contains(r.text, "]def\r\n/CharStrings " + c.charStrings + "end readonly def\r\n"))
        << r.text;
    EXPECT_EQ(r.log, c.log);
    // The glyph data go whole, counted from 'maxp' when there are no names.
    ttb::Bytes sfnt = SfntsData(r.text);
    EXPECT_NE(std::search(sfnt.begin(), sfnt.end(), tables["glyf"].begin(), tables["glyf"].end()),
              sfnt.end());
  }
}

TEST(Type42Converter, CorruptFonts) {
  ttb::Bytes good = ttb::BuildFont(ttb::SmallFont());
  auto with = ttb::SmallFontWith;
  const struct {
    ttb::Bytes font;
    int32_t ok;
    std::string log;
  } cases[] = {
      {ttb::Bytes(good.begin(), good.begin() + 11), 0,
       "TrueType font \"\" may be corrupt (reason 1)\n"},
      // Short directory: the tables past the end are gone, 'head' among them.
      {ttb::Bytes(good.begin(), good.begin() + 40), 0,
       "TrueType font \"\" may be corrupt (reason 2)\nTrueType font is missing table 'head'\n"},
      {with([](ttb::FontPlan& p) { p.dropTables = {"post"}; }), 0,
       "TrueType font is missing table 'post'\n"},
      {ttb::Bytes(good.begin(), good.end() - 8), 0, "may be corrupt"},  // a table past the end
      {with([](ttb::FontPlan& p) { p.indexToLocFormat = 2; }), 0,
       "TrueType font \"\" is unusable because indexToLocFormat = 2\n"},
      // An odd glyph length stops the glyph data; the table is zero-filled and the rest goes on.
      {with([](ttb::FontPlan& p) { p.glyphs[1].push_back(0); }), 1,
       "TrueType font \"Test Font\" contains a 'glyf' table without 2 ub1 padding\n"},
      // Nothing of a font that cannot be carried whole reaches the document.
      {with([](ttb::FontPlan& p) { p.extraTables["hmtx"] = ttb::Bytes(70000, 0); }), 0,
       "TrueType font \"Test Font\" has a 'hmtx' table which is too long\n"},
      // unitsPerEm 0 would divide by zero.
      {with([](ttb::FontPlan& p) { p.unitsPerEm = 0; }), 0,
       "TrueType font \"\" is unusable because unitsPerEm = 0\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    Result r = Convert(c.font);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_TRUE(Contains(r.log, c.log)) << r.log;
    EXPECT_TRUE(c.ok ? r.text.ends_with("%%EOF\r\n") : r.text.empty());
  }
  // Every truncation of a valid font is handled.
  for (size_t n = 0; n < good.size(); n += 7)
    Convert(ttb::Bytes(good.begin(), good.begin() + long(n)));
}

// A font that names its euro sign and carons other than the drawing files' encoding does still
// show them: both font programs add the encoding's names for the glyphs its 'cmap' gives.
TEST(Type42Converter, EncodingNamesForCodePageGlyphsFromCmap) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.glyphNames = {".notdef", "uni20AC", "Zcaron"};
  plan.cmap = {{0x20AC, 1}, {0x017D, 2}, {0x017E, 7}};
  Result t42 = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(t42.ok, 1) << t42.log;
  EXPECT_TRUE(Contains(t42.text, "/Zcaron 2 def\r\n/Euro 1 def\r\nend readonly def\r\n"));
  EXPECT_FALSE(Contains(t42.text, "/zcaron"));  // its glyph is past the font
  Result t3 = convtest::Convert<Type3Converter>(ttb::BuildFont(plan));
  ASSERT_EQ(t3.ok, 1) << t3.log;
  EXPECT_TRUE(Contains(t3.text, "}_d\r\n/Euro /uni20AC load def\r\nend readonly def\r\n"));
}

TEST(Type42Interop, GhostscriptRendersLiberationSans) {
  convtest::ExpectGhostscriptRendersLiberationSans<Type42Converter>("type42_interop");
}
