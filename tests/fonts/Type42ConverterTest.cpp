#include <gtest/gtest.h>

#include <sstream>

#include "fonts/ConverterTestSupport.h"
#include "fonts/Type3Converter.h"
#include "fonts/Type42Converter.h"
#include "support/TestSupport.h"

namespace {

using convtest::Result;
Result Convert(const ttb::Bytes& font) { return convtest::Convert<Type42Converter>(font); }

// The sfnts strings as written: hex digits decoded, one entry per string.
std::vector<ttb::Bytes> SfntsStrings(const std::string& text) {
  std::vector<ttb::Bytes> strings;
  size_t begin = text.find("/sfnts[");
  size_t end = text.find("]def", begin);
  if (begin == std::string::npos || end == std::string::npos) return strings;
  ttb::Bytes* current = nullptr;
  int high = -1;
  for (size_t i = begin + 7; i < end; ++i) {
    char c = text[i];
    if (c == '<') {
      strings.emplace_back();
      current = &strings.back();
    } else if (c == '>') {
      current = nullptr;
    } else if (current && std::isxdigit(uint8_t(c))) {
      int v = std::isdigit(uint8_t(c)) ? c - '0' : c - 'A' + 10;
      if (high < 0) {
        high = v;
      } else {
        current->push_back(uint8_t(high << 4 | v));
        high = -1;
      }
    }
  }
  return strings;
}

// The TrueType data the interpreter sees: every string without its odd closing byte.
ttb::Bytes SfntsData(const std::string& text) {
  ttb::Bytes data;
  for (const ttb::Bytes& s : SfntsStrings(text)) {
    if (!s.empty()) data.insert(data.end(), s.begin(), s.end() - 1);
  }
  return data;
}

uint32_t Get32(const ttb::Bytes& b, size_t off) {
  return uint32_t(b[off]) << 24 | uint32_t(b[off + 1]) << 16 | uint32_t(b[off + 2]) << 8 |
         b[off + 3];
}

// Longest line of the sfnts array, from "/sfnts[" to "]def".
size_t LongestHexLine(const std::string& text) {
  size_t begin = text.find("/sfnts[");
  size_t end = text.find("]def", begin);
  if (begin == std::string::npos || end == std::string::npos) return 0;
  size_t longest = 0;
  std::istringstream in(text.substr(begin, end + 4 - begin));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    longest = std::max(longest, line.size());
  }
  return longest;
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

TEST(Type42Converter, OffsetTableDirectoryAndTablesRoundTrip) {
  // All nine tables: 00 01 00 00, 00 09, 00 80, 00 03, 00 10, data from 12 + 16 x 9.
  std::map<std::string, ttb::Bytes> tables;
  Result r = Convert(ttb::BuildFont(ttb::SmallFont(), &tables));
  ASSERT_EQ(r.ok, 1) << r.log;
  ttb::Bytes sfnt = SfntsData(r.text);
  ASSERT_GE(sfnt.size(), 12u + 16 * 9);
  EXPECT_EQ(ttb::Bytes(sfnt.begin(), sfnt.begin() + 12),
            (ttb::Bytes{0, 1, 0, 0, 0, 9, 0, 0x80, 0, 3, 0, 0x10}));
  const char* order[] = {"cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "prep"};
  uint32_t expected = 12 + 16 * 9;
  for (int i = 0; i < 9; ++i) {
    size_t e = 12 + 16 * size_t(i);
    EXPECT_EQ(std::string(sfnt.begin() + long(e), sfnt.begin() + long(e) + 4), order[i]);
    uint32_t offset = Get32(sfnt, e + 8), length = Get32(sfnt, e + 12);
    EXPECT_EQ(offset, expected) << order[i];
    EXPECT_EQ(length, tables[order[i]].size()) << order[i];
    ASSERT_LE(offset + length, sfnt.size());
    EXPECT_EQ(ttb::Bytes(sfnt.begin() + offset, sfnt.begin() + offset + length), tables[order[i]])
        << order[i];
    expected += (length + 3) & ~3u;
  }

  // Without 'cvt ', 'fpgm' and 'prep': six tables, data from 12 + 16 x 6.
  ttb::FontPlan bare = ttb::SmallFont();
  bare.withHinting = false;
  r = Convert(ttb::BuildFont(bare));
  ASSERT_EQ(r.ok, 1) << r.log;
  sfnt = SfntsData(r.text);
  EXPECT_EQ(ttb::Bytes(sfnt.begin(), sfnt.begin() + 12),
            (ttb::Bytes{0, 1, 0, 0, 0, 6, 0, 0x40, 0, 2, 0, 0x20}));
  EXPECT_EQ(std::string(sfnt.begin() + 12, sfnt.begin() + 16), "glyf");
  EXPECT_EQ(Get32(sfnt, 12 + 8), 12u + 16 * 6);
}

TEST(Type42Converter, LargeGlyfSplitsAtGlyphBoundaries) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.glyphs.clear();
  plan.glyphNames.clear();
  plan.advances = {500};
  // 200 glyphs of 1000 bytes (a contour of 98 points), 200 000 bytes of 'glyf' in all.
  for (int i = 0; i < 200; ++i) {
    ttb::Contour c;
    for (int k = 0; k < 98; ++k) c.push_back({k * 3 + i, (k * 7) % 500, (k % 3) != 0});
    ttb::Bytes g = ttb::SimpleGlyph({c});
    g.resize(1000, 0);
    plan.glyphs.push_back(g);
  }
  std::map<std::string, ttb::Bytes> tables;
  Result r = Convert(ttb::BuildFont(plan, &tables));
  ASSERT_EQ(r.ok, 1) << r.log;
  ASSERT_EQ(tables["glyf"].size(), 200000u);
  std::vector<ttb::Bytes> strings = SfntsStrings(r.text);
  ASSERT_GE(strings.size(), 4u);
  // Every string ends with the extra 00 byte right before ">", none passes the limit, and
  // the data before 'glyf' (offset table, directory, 'cvt ', 'fpgm') starts the first.
  size_t glyfStart = 12 + 16 * 9 + 4 + 4;
  size_t at = 0;
  for (size_t i = 0; i < strings.size(); ++i) {
    const ttb::Bytes& s = strings[i];
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.back(), 0) << i;
    EXPECT_LE(s.size(), 65529u) << i;
    size_t data = s.size() - 1;
    if (i > 0 && at >= glyfStart && at < glyfStart + 200000) {
      EXPECT_EQ((at - glyfStart) % 1000, 0u) << "string " << i << " starts inside a glyph";
    }
    at += data;
  }
  ttb::Bytes sfnt = SfntsData(r.text);
  ASSERT_GE(sfnt.size(), glyfStart + 200000);
  EXPECT_EQ(ttb::Bytes(sfnt.begin() + long(glyfStart), sfnt.begin() + long(glyfStart) + 200000),
            tables["glyf"]);
  EXPECT_LE(LongestHexLine(r.text), 72u);
}

TEST(Type42Converter, HexLinesNeverPassSeventyTwoColumns) {
  // Table lengths chosen so that strings close at every column position.
  for (size_t pad = 0; pad < 40; ++pad) {
    ttb::FontPlan plan = ttb::SmallFont();
    plan.extraTables["cvt "] = ttb::Bytes(65000 + pad * 2, 0x11);
    plan.extraTables["fpgm"] = ttb::Bytes(60000 + pad * 2, 0xAB);
    Result r = Convert(ttb::BuildFont(plan));
    ASSERT_EQ(r.ok, 1) << r.log;
    ASSERT_LE(LongestHexLine(r.text), 72u) << pad;
  }
}

TEST(Type42Converter, TooLongTableWritesNothing) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.extraTables["hmtx"] = ttb::Bytes(70000, 0);
  Result r = Convert(ttb::BuildFont(plan));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.log, "TrueType font \"Test Font\" has a 'hmtx' table which is too long\n");
  // Nothing of a font that cannot be carried whole reaches the document.
  EXPECT_EQ(r.text, "");
}

TEST(Type42Converter, GlyphNames) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.glyphNames = {".notdef", "Aring.alt", "s"};
  plan.glyphs.push_back({});
  plan.glyphNames.push_back(std::string(80, 'x'));  // too long
  plan.glyphs.push_back({});
  plan.glyphNames.push_back("bad name");  // not a PostScript name
  plan.glyphs.push_back({});
  plan.glyphNames.push_back(std::string(79, 'y'));
  Result r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1);
  // Index 258 is the first string after the index array.
  EXPECT_TRUE(Contains(r.text,
                       "/CharStrings 6 dict dup begin\r\n/.notdef 0 def\r\n/Aring.alt 1 def\r\n"
                       "/s 2 def\r\n/glyph3 3 def\r\n/glyph4 4 def\r\n/" +
                           std::string(79, 'y') + " 5 def\r\nend readonly def\r\n"));
  EXPECT_EQ(r.log, "TrueType font file contains a very long PostScript name\n");

  // Without a .notdef name the dictionary still gets one, for glyph 0.
  plan = ttb::SmallFont();
  plan.glyphNames = {"A", "B", "C"};
  r = Convert(ttb::BuildFont(plan));
  EXPECT_TRUE(Contains(r.text,
                       "/CharStrings 4 dict dup begin\r\n/A 0 def\r\n/B 1 def\r\n/C 2 def\r\n"
                       "/.notdef 0 def\r\nend readonly def\r\n"));
}

TEST(Type42Converter, MissingAsciiNamesComeFromCmap) {
  // A space named "uni00A0" is still reachable as /space; present names are not repeated.
  ttb::FontPlan plan = ttb::SmallFont();
  plan.glyphNames = {".notdef", "A", "uni00A0"};
  plan.cmap = {{0x20, 2}, {0x41, 1}, {0x42, 7}};
  Result r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1) << r.log;
  EXPECT_TRUE(Contains(r.text,
                       "/CharStrings 4 dict dup begin\r\n/.notdef 0 def\r\n/A 1 def\r\n"
                       "/uni00A0 2 def\r\n/space 2 def\r\nend readonly def\r\n"));
  // Without glyph names the characters the 'cmap' knows still have glyphs.
  plan.postFormat3 = true;
  r = Convert(ttb::BuildFont(plan));
  ASSERT_EQ(r.ok, 1) << r.log;
  EXPECT_TRUE(Contains(r.text,
                       "/CharStrings 3 dict dup begin\r\n/.notdef 0 def\r\n/space 2 def\r\n"
                       "/A 1 def\r\nend readonly def\r\n"));
}

TEST(Type42Converter, PostFormat3) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.postFormat3 = true;
  std::map<std::string, ttb::Bytes> tables;
  Result r = Convert(ttb::BuildFont(plan, &tables));
  ASSERT_EQ(r.ok, 1);
  EXPECT_EQ(r.log, "TrueType font \"Test Font\" does not have a format 2.0 'post' table\n");
  // No glyph names, but a dictionary with .notdef so that the font can still be defined; the
  // glyph data are counted from 'maxp'.
  EXPECT_TRUE(Contains(r.text,
                       "]def\r\n/CharStrings 1 dict dup begin\r\n/.notdef 0 def\r\n"
                       "end readonly def\r\n\r\nsystemdict"));
  ttb::Bytes sfnt = SfntsData(r.text);
  EXPECT_NE(std::search(sfnt.begin(), sfnt.end(), tables["glyf"].begin(), tables["glyf"].end()),
            sfnt.end());
}

TEST(Type42Converter, CorruptFonts) {
  ttb::Bytes good = ttb::BuildFont(ttb::SmallFont());
  // Short offset table.
  Result r = Convert(ttb::Bytes(good.begin(), good.begin() + 11));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(r.log, "TrueType font \"\" may be corrupt (reason 1)\n");
  // Short directory: the tables past the end are gone, 'head' among them.
  r = Convert(ttb::Bytes(good.begin(), good.begin() + 40));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.log,
            "TrueType font \"\" may be corrupt (reason 2)\n"
            "TrueType font is missing table 'head'\n");
  // Missing 'post'.
  ttb::FontPlan plan = ttb::SmallFont();
  plan.dropTables = {"post"};
  r = Convert(ttb::BuildFont(plan));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(r.log, "TrueType font is missing table 'post'\n");
  // A table running past the end of the file.
  ttb::Bytes cut(good.begin(), good.end() - 8);
  r = Convert(cut);
  EXPECT_EQ(r.ok, 0);
  EXPECT_TRUE(Contains(r.log, "may be corrupt")) << r.log;
  // indexToLocFormat out of range.
  plan = ttb::SmallFont();
  plan.indexToLocFormat = 2;
  r = Convert(ttb::BuildFont(plan));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.log, "TrueType font \"\" is unusable because indexToLocFormat = 2\n");
  // An odd glyph length stops the glyph data; the table is zero-filled and the rest goes on.
  plan = ttb::SmallFont();
  plan.glyphs[1].push_back(0);
  r = Convert(ttb::BuildFont(plan));
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.log, "TrueType font \"Test Font\" contains a 'glyf' table without 2 ub1 padding\n");
  EXPECT_TRUE(r.text.ends_with("%%EOF\r\n"));
  // unitsPerEm 0 would divide by zero.
  plan = ttb::SmallFont();
  plan.unitsPerEm = 0;
  r = Convert(ttb::BuildFont(plan));
  EXPECT_EQ(r.ok, 0);
  EXPECT_EQ(r.log, "TrueType font \"\" is unusable because unitsPerEm = 0\n");
  // Every truncation of a valid font is handled.
  for (size_t n = 0; n < good.size(); n += 7) {
    Convert(ttb::Bytes(good.begin(), good.begin() + long(n)));
  }
}

// Every installed font converts both ways (the common families must), or fails writing nothing.
TEST(TrueTypeConverters, SystemFontsConvert) {
  std::vector<std::string> fonts = convtest::SystemTrueTypeFonts();
  if (fonts.empty()) GTEST_SKIP() << "no TrueType fonts installed";
  for (const std::string& path : fonts) {
    ttb::Bytes font = convtest::FileBytes(path);
    bool common =
        path.find("Liberation") != std::string::npos || path.find("DejaVu") != std::string::npos;
    for (Result r : {Convert(font), convtest::Convert<Type3Converter>(font)}) {
      bool type42 = r.text.starts_with("%!PS-TrueTypeFont");
      if (common) {
        EXPECT_EQ(r.ok, 1) << path << "\n" << r.log;
      }
      if (!r.ok) {
        EXPECT_EQ(r.text, "") << path;
      } else if (type42) {
        EXPECT_LE(LongestHexLine(r.text), 72u) << path;
      } else {  // Type 3: braces balance, every sub-procedure is closed.
        EXPECT_EQ(std::count(r.text.begin(), r.text.end(), '{'),
                  std::count(r.text.begin(), r.text.end(), '}'))
            << path;
      }
      if (r.ok) {
        EXPECT_TRUE(r.text.ends_with("%%EOF\r\n")) << path;
      }
    }
  }
}

TEST(Type42Interop, GhostscriptRendersLiberationSans) {
  convtest::ExpectGhostscriptRendersLiberationSans<Type42Converter>("type42_interop");
}
