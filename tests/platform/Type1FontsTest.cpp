#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/type1/Type1Fonts.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

namespace {

using bmptest::Set32;
void Put16(std::vector<uint8_t>* b, size_t at, int v) { Set32(b, at, uint32_t(v), 2); }

// A PFM for characters 32..34 with extended metrics and the PostScript name at the end.
std::vector<uint8_t> MakePfm(const std::string& name) {
  std::vector<uint8_t> b(147 + 52 + 6, 0);
  // Version, dfAscent, dfPixHeight; cap height, lower-case ascent and descent, slant in tenths
  // of a degree in the extended metrics; then the widths.
  const int at[] = {0, 74, 88, 147 + 14, 147 + 18, 147 + 20, 147 + 22, 199, 201, 203};
  const int value[] = {0x100, 900, 1100, 718, 730, 210, -120, 278, 333, 474};
  for (int i = 0; i < 10; ++i) Put16(&b, size_t(at[i]), value[i]);
  b[90] = 0x21;  // variable pitch, FF_SWISS
  b[95] = 32;
  b[96] = 34;
  Set32(&b, 119, 147);       // extended metrics
  Set32(&b, 123, 147 + 52);  // extent table
  Set32(&b, 139, uint32_t(b.size()));
  b.insert(b.end(), name.begin(), name.end());
  b.push_back(0);
  return b;
}

std::vector<uint8_t> Segment(int type, const std::string& data) {
  std::vector<uint8_t> s(6, 0);
  s[0] = 128;
  s[1] = uint8_t(type);
  Set32(&s, 2, uint32_t(data.size()));
  s.insert(s.end(), data.begin(), data.end());
  return s;
}

int32_t CopyToString(const std::vector<uint8_t>& pfb, std::string* out) {
  out->clear();
  return CopyPfb(pfb.data(), pfb.size(), [out](const char* d, size_t n) {
    out->append(d, n);
    return true;
  });
}

}  // namespace

TEST(Type1FontsTest, AtmIniLinesFollowTheFontManagersRules) {
  const char* text =
      "[Setup]\r\nQLCDir=c:\\psfonts\r\n;[Fonts] in a comment\r\n[Fonts]\r\n"
      "; a comment inside\r\nTimes,BOLD=/f/tib.pfm,/f/tib.pfb\r\n"
      "Times New Roman , BOLDITALIC = /f/tnr.pfm , /f/tnr.pfb\r\n"
      "Myriad MM=/f/mm.pfm,/f/mm.pfb\r\nMM=/f/m.pfm,/f/m.pfb\r\n"
      "Helvetica,Oblique=/f/ho.pfm,/f/ho.pfb\r\nHelvetica,bold=/f/hb.pfm,/f/hb.pfb\r\n"
      "Courier=/f/c.pfm\r\nCourier=/f/c.pfm,/f/c.pfb,extra\r\nSymbol,ITALIC=sym.pfm,sym.pfb\r\n"
      "   \r\n"
      "After=/f/a.pfm,/f/a.pfb\r\n";
  std::vector<AtmIniEntry> e;
  ASSERT_TRUE(ParseAtmIni(text, &e));
  std::vector<std::string> got;
  for (const AtmIniEntry& x : e) {
    got.push_back(x.faceName + "|" + std::to_string(x.style) + "|" + x.metricsPath + "|" +
                  x.pfbPath);
  }
  // Two characters ("MM") are not a multiple-master instance.
  EXPECT_EQ(got, (std::vector<std::string>{
                     "Times|" + std::to_string(kType1Bold) + "|/f/tib.pfm|/f/tib.pfb",
                     "Times New Roman|" + std::to_string(kType1Bold | kType1Italic) +
                         "|/f/tnr.pfm|/f/tnr.pfb",
                     "MM|0|/f/m.pfm|/f/m.pfb",
                     "Symbol|" + std::to_string(kType1Italic) + "|sym.pfm|sym.pfb"}));

  e.clear();
  EXPECT_FALSE(ParseAtmIni("[Setup]\nA=b,c\n; [Fonts]\n", &e));
  EXPECT_TRUE(ParseAtmIni("[Fonts]", &e));
  EXPECT_TRUE(e.empty());
}

TEST(Type1FontsTest, PfmNameAndMetrics) {
  std::vector<uint8_t> pfm = MakePfm("Test-Roman");
  std::string name;
  ASSERT_TRUE(PfmPostScriptName(pfm.data(), pfm.size(), &name));
  EXPECT_EQ(name, "Test-Roman");
  // No NUL before the end, an offset past the end, an empty or overlong or unsafe name.
  EXPECT_FALSE(PfmPostScriptName(pfm.data(), pfm.size() - 1, &name));
  std::vector<uint8_t> bad = pfm;
  Set32(&bad, 139, 0xFFFFFFFFu);
  EXPECT_FALSE(PfmPostScriptName(bad.data(), bad.size(), &name));
  for (const std::string& n : {std::string(), std::string(64, 'N'), std::string("Bad Name")}) {
    bad = MakePfm(n);
    EXPECT_FALSE(PfmPostScriptName(bad.data(), bad.size(), &name)) << n;
  }
  bad = MakePfm(std::string(63, 'N'));
  EXPECT_TRUE(PfmPostScriptName(bad.data(), bad.size(), &name));

  Type1Metrics m;
  ASSERT_TRUE(ParsePfm(pfm.data(), pfm.size(), &m));
  EXPECT_EQ(V(m.widths[31], m.widths[32], m.widths[34], m.firstChar, m.lastChar, m.ascent,
              m.descent, m.capHeight, m.italicAngle, m.fixedPitch, m.serif, m.hasBBox),
            V(0, 278, 474, 32, 34, 730, -210, 718, -12, 0, 0, 0));
  // Tables that run past the end fail.
  for (auto [at, offset] : {std::pair{123, pfm.size() - 4}, {119, pfm.size() - 10}}) {
    bad = pfm;
    Set32(&bad, size_t(at), uint32_t(offset));
    EXPECT_FALSE(ParsePfm(bad.data(), bad.size(), &m)) << at;
  }
  EXPECT_FALSE(ParsePfm(pfm.data(), 146, &m));
}

TEST(Type1FontsTest, AfmWidthsByCodeAndCp1252Names) {
  const char* afm =
      "StartFontMetrics 4.1\n"
      "FontName Test-Sans\nFamilyName Test Sans\nEncodingScheme AdobeStandardEncoding\n"
      "ItalicAngle -12.5\nIsFixedPitch false\nFontBBox -10 -220 1000 950\n"
      "Ascender 0\nDescender 0\nStartCharMetrics 6\nC 65 ; WX 667 ; N A ; B 0 0 660 718 ;\n"
      "C 100 ; WX 556 ; N d ; B 30 -15 520 725 ;\nC 112 ; WX 556.4 ; N p ; B 30 -207 520 538 ;\n"
      "C 200 ; WX 333 ; N grave ; B 0 0 1 1 ;\nC -1 ; WX 556 ; N Euro ; B 0 0 1 1 ;\n"
      "C -1 ; WX 667 ; N Egrave ; B 0 0 1 1 ;\n"
      "EndCharMetrics\nEndFontMetrics\n";
  std::string name;
  ASSERT_TRUE(AfmPostScriptName(afm, &name));
  EXPECT_EQ(name, "Test-Sans");
  Type1Metrics m;
  ASSERT_TRUE(ParseAfm(afm, &m));
  // Euro (128) and Egrave (200, not the font's own code 200) by name; the zero Ascender and
  // Descender come from "d" and "p".
  EXPECT_EQ(V(m.widths[65], m.widths[112], m.widths[128], m.widths[200], m.firstChar, m.lastChar,
              m.ascent, m.descent, m.capHeight, m.italicAngle, m.hasBBox, m.bbox[1], m.serif),
            V(667, 556, 556, 667, 65, 200, 725, -207, 725 * 8 / 10, -12, 1, -220, 0));

  // A symbol font keeps its own codes.
  std::string symbol = afm;
  symbol.replace(symbol.find("AdobeStandardEncoding"), 21, "FontSpecific");
  ASSERT_TRUE(ParseAfm(symbol, &m));
  EXPECT_EQ(V(m.widths[200], m.widths[128]), V(333, 0));

  EXPECT_FALSE(ParseAfm("FontName X\n", &m));
  EXPECT_FALSE(ParseAfm("StartFontMetrics 2.0\nFontName X\n", &m));
  EXPECT_FALSE(AfmPostScriptName("StartFontMetrics 2.0\nFontName (X)\n", &name));
}

TEST(Type1FontsTest, PfbSegmentsAndFontBBox) {
  std::vector<uint8_t> pfb = Segment(1,
                                     "%!PS-AdobeFont-1.0: T\r/FontBBox {-1 -2 30 40} def\r\n"
                                     "currentfile eexec\n");
  std::string binary;
  for (int i = 0; i < 40; ++i) binary += char(i * 7);
  std::vector<uint8_t> s2 = Segment(2, binary), s3 = Segment(2, std::string(32, '\xff'));
  std::vector<uint8_t> tail = Segment(1, "cleartomark"), end = Segment(3, "");
  for (const auto* s : {&s2, &s3, &tail, &end}) pfb.insert(pfb.end(), s->begin(), s->end());

  std::string out;
  ASSERT_EQ(CopyToString(pfb, &out), 1);
  EXPECT_TRUE(out.ends_with("ffff\r\ncleartomark")) << out;  // binary segments go out as hex

  int32_t box[4];
  ASSERT_TRUE(ParsePfbFontBBox(pfb.data(), pfb.size(), box));
  EXPECT_EQ(V(box[0], box[3]), V(-1, 40));
  const std::string broken = "/FontBBox {1 2 3 x}";
  EXPECT_FALSE(
      ParsePfbFontBBox(reinterpret_cast<const uint8_t*>(broken.data()), broken.size(), box));
  std::string far(16384, ' ');
  far += "/FontBBox {1 2 3 4}";
  EXPECT_FALSE(ParsePfbFontBBox(reinterpret_cast<const uint8_t*>(far.data()), far.size(), box));

  // Broken files write nothing: a short segment, a missing end, a cut-off segment header (a
  // text segment whose length is cut off), a bad type or marker. The end marker's two bytes do.
  std::vector<uint8_t> badType = pfb, badMarker = pfb, cutLength(pfb.begin(), pfb.end() - 5);
  badType[1] = 4;
  badMarker[0] = 0x7F;
  cutLength.insert(cutLength.end(), {1, 5, 0});
  for (const auto& broken :
       {std::vector<uint8_t>(pfb.begin(), pfb.end() - 8),
        std::vector<uint8_t>(pfb.begin(), pfb.end() - 6),
        std::vector<uint8_t>(pfb.begin(), pfb.end() - 5), cutLength, badType, badMarker}) {
    EXPECT_EQ(CopyToString(broken, &out), 0);
    EXPECT_EQ(out, "");
  }
  EXPECT_EQ(CopyToString(std::vector<uint8_t>(pfb.begin(), pfb.end() - 4), &out), 1);
  // A writer that fails stops the copy.
  EXPECT_EQ(CopyPfb(pfb.data(), pfb.size(), [](const char*, size_t) { return false; }), 0);
}
