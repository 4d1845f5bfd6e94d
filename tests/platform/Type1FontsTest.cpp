#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/msgbox/Messages.h"
#include "platform/profile/Profile.h"
#include "platform/type1/Type1Fonts.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> gMessages;

void Capture(MessageKind kind, const std::string& text) {
  if (kind == MessageKind::kError) gMessages.push_back(text);
}

struct CaptureMessages {
  CaptureMessages() {
    gMessages.clear();
    SetMessageHandler(&Capture);
  }
  ~CaptureMessages() { SetMessageHandler(nullptr); }
};

void Put16(std::vector<uint8_t>* b, size_t at, int v) {
  (*b)[at] = uint8_t(v);
  (*b)[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = uint8_t(v >> (8 * i));
}

// A PFM for characters 32..34 with extended metrics and the PostScript name at the end.
std::vector<uint8_t> MakePfm(const std::string& name) {
  std::vector<uint8_t> b(147 + 52 + 6, 0);
  Put16(&b, 0, 0x100);
  Put16(&b, 74, 900);   // dfAscent
  Put16(&b, 88, 1100);  // dfPixHeight
  b[90] = 0x21;         // variable pitch, FF_SWISS
  b[95] = 32;
  b[96] = 34;
  Put32(&b, 119, 147);        // extended metrics
  Put32(&b, 123, 147 + 52);   // extent table
  Put16(&b, 147 + 14, 718);   // cap height
  Put16(&b, 147 + 18, 730);   // lower-case ascent
  Put16(&b, 147 + 20, 210);   // lower-case descent
  Put16(&b, 147 + 22, -120);  // slant, tenths of a degree
  Put16(&b, 199, 278);
  Put16(&b, 201, 333);
  Put16(&b, 203, 474);
  Put32(&b, 139, uint32_t(b.size()));
  b.insert(b.end(), name.begin(), name.end());
  b.push_back(0);
  return b;
}

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::vector<uint8_t> Segment(int type, const std::string& data) {
  std::vector<uint8_t> s(6, 0);
  s[0] = 128;
  s[1] = uint8_t(type);
  Put32(&s, 2, uint32_t(data.size()));
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

const char* const kNimbusPfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const char* const kNimbusAfm = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";

}  // namespace

TEST(Type1FontsTest, AtmIniLinesFollowTheFontManagersRules) {
  const char* text =
      "[Setup]\r\nQLCDir=c:\\psfonts\r\n;[Fonts] in a comment\r\n[Fonts]\r\n"
      "; a comment inside\r\n"
      "Times,BOLD=/f/tib.pfm,/f/tib.pfb\r\n"
      "Times New Roman , BOLDITALIC = /f/tnr.pfm , /f/tnr.pfb\r\n"
      "Myriad MM=/f/mm.pfm,/f/mm.pfb\r\n"
      "MM=/f/m.pfm,/f/m.pfb\r\n"
      "Helvetica,Oblique=/f/ho.pfm,/f/ho.pfb\r\n"
      "Helvetica,bold=/f/hb.pfm,/f/hb.pfb\r\n"
      "Courier=/f/c.pfm\r\n"
      "Courier=/f/c.pfm,/f/c.pfb,extra\r\n"
      "Symbol,ITALIC=sym.pfm,sym.pfb\r\n"
      "   \r\n"
      "After=/f/a.pfm,/f/a.pfb\r\n";
  std::vector<AtmIniEntry> e;
  ASSERT_TRUE(ParseAtmIni(text, &e));
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].faceName, "Times");
  EXPECT_EQ(e[0].style, kType1Bold);
  EXPECT_EQ(e[0].metricsPath, "/f/tib.pfm");
  EXPECT_EQ(e[0].pfbPath, "/f/tib.pfb");
  EXPECT_EQ(e[1].faceName, "Times New Roman");
  EXPECT_EQ(e[1].style, kType1Bold | kType1Italic);
  EXPECT_EQ(e[1].pfbPath, "/f/tnr.pfb");
  EXPECT_EQ(e[2].faceName, "MM");  // two characters are not a multiple-master instance
  EXPECT_EQ(e[3].faceName, "Symbol");
  EXPECT_EQ(e[3].style, kType1Italic);

  e.clear();
  EXPECT_FALSE(ParseAtmIni("[Setup]\nA=b,c\n; [Fonts]\n", &e));
  EXPECT_TRUE(ParseAtmIni("[Fonts]", &e));
  EXPECT_TRUE(e.empty());
  EXPECT_EQ(Type1ProfileKey("Arial", kType1Bold | kType1Italic), "Arial,BOLDITALIC");
  EXPECT_EQ(Type1ProfileKey("Arial", kType1Italic), "Arial,ITALIC");
  EXPECT_EQ(Type1ProfileKey("Arial", 0), "Arial");
}

TEST(Type1FontsTest, AtmIniLoadingReportsAndCachesNames) {
  std::string dir = TestWorkDir("type1-atmini");
  std::string profile = dir + "/ulvex.ini";
  CaptureMessages capture;

  EXPECT_TRUE(LoadAtmIniFaces(dir + "/missing.ini", profile).empty());
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0], "Can't open " + dir + "/missing.ini");

  gMessages.clear();
  ASSERT_TRUE(WriteFileBytes(dir + "/atm.ini", "[Setup]\r\nx=1\r\n"));
  EXPECT_TRUE(LoadAtmIniFaces(dir + "/atm.ini", profile).empty());
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0], "Can't find [Fonts] section in ATM.INI");

  // Lines whose PFM gives no name, or that are rejected, leave the section empty.
  gMessages.clear();
  ASSERT_TRUE(WriteFileBytes(dir + "/bad.pfm", Bytes(MakePfm(""))));
  ASSERT_TRUE(WriteFileBytes(dir + "/atm.ini",
                             "[Fonts]\r\nBad=bad.pfm,bad.pfb\r\nNone=none.pfm,none.pfb\r\n"
                             "Style,Oblique=x.pfm,x.pfb\r\n"));
  std::vector<Type1Face> faces = LoadAtmIniFaces(dir + "/atm.ini", profile);
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0], "No fonts in [Fonts] section in ATM.INI");
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].faceName, "Arial");

  // Relative paths are beside the atm.ini; the name read from the PFM is cached.
  gMessages.clear();
  ASSERT_TRUE(WriteFileBytes(dir + "/good.pfm", Bytes(MakePfm("Good-Bold"))));
  ASSERT_TRUE(WriteFileBytes(dir + "/atm.ini", "[Fonts]\r\nGood,BOLD=good.pfm,good.pfb\r\n"));
  faces = LoadAtmIniFaces(dir + "/atm.ini", profile);
  EXPECT_TRUE(gMessages.empty());
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].postScriptName, "Good-Bold");
  EXPECT_EQ(faces[0].style, kType1Bold);
  EXPECT_EQ(faces[0].metricsPath, dir + "/good.pfm");
  EXPECT_EQ(faces[0].pfbPath, dir + "/good.pfb");
  EXPECT_EQ(GetPrivateProfileString("Fonts", "Good,BOLD", "", profile), "Good-Bold");
  ASSERT_TRUE(WritePrivateProfileString("Fonts", "Good,BOLD", "Cached-Name", profile));
  faces = LoadAtmIniFaces(dir + "/atm.ini", profile);
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].postScriptName, "Cached-Name");
}

TEST(Type1FontsTest, PfmNameAndMetrics) {
  std::vector<uint8_t> pfm = MakePfm("Test-Roman");
  std::string name;
  ASSERT_TRUE(PfmPostScriptName(pfm.data(), pfm.size(), &name));
  EXPECT_EQ(name, "Test-Roman");
  // No NUL before the end, an offset past the end, an empty or overlong or unsafe name.
  EXPECT_FALSE(PfmPostScriptName(pfm.data(), pfm.size() - 1, &name));
  std::vector<uint8_t> bad = pfm;
  Put32(&bad, 139, 0xFFFFFFFFu);
  EXPECT_FALSE(PfmPostScriptName(bad.data(), bad.size(), &name));
  bad = MakePfm("");
  EXPECT_FALSE(PfmPostScriptName(bad.data(), bad.size(), &name));
  bad = MakePfm(std::string(64, 'N'));
  EXPECT_FALSE(PfmPostScriptName(bad.data(), bad.size(), &name));
  bad = MakePfm("Bad Name");
  EXPECT_FALSE(PfmPostScriptName(bad.data(), bad.size(), &name));
  bad = MakePfm(std::string(63, 'N'));
  EXPECT_TRUE(PfmPostScriptName(bad.data(), bad.size(), &name));

  Type1Metrics m;
  ASSERT_TRUE(ParsePfm(pfm.data(), pfm.size(), &m));
  EXPECT_EQ(m.widths[31], 0);
  EXPECT_EQ(m.widths[32], 278);
  EXPECT_EQ(m.widths[34], 474);
  EXPECT_EQ(m.firstChar, 32);
  EXPECT_EQ(m.lastChar, 34);
  EXPECT_EQ(m.ascent, 730);
  EXPECT_EQ(m.descent, -210);
  EXPECT_EQ(m.capHeight, 718);
  EXPECT_EQ(m.italicAngle, -12);
  EXPECT_FALSE(m.fixedPitch);
  EXPECT_FALSE(m.serif);
  EXPECT_FALSE(m.hasBBox);
  // Tables that run past the end fail.
  bad = pfm;
  Put32(&bad, 123, uint32_t(pfm.size() - 4));
  EXPECT_FALSE(ParsePfm(bad.data(), bad.size(), &m));
  bad = pfm;
  Put32(&bad, 119, uint32_t(pfm.size() - 10));
  EXPECT_FALSE(ParsePfm(bad.data(), bad.size(), &m));
  EXPECT_FALSE(ParsePfm(pfm.data(), 146, &m));
}

TEST(Type1FontsTest, AfmWidthsByCodeAndCp1252Names) {
  const char* afm =
      "StartFontMetrics 4.1\n"
      "FontName Test-Sans\nFamilyName Test Sans\nEncodingScheme AdobeStandardEncoding\n"
      "ItalicAngle -12.5\nIsFixedPitch false\nFontBBox -10 -220 1000 950\n"
      "Ascender 0\nDescender 0\n"
      "StartCharMetrics 6\n"
      "C 65 ; WX 667 ; N A ; B 0 0 660 718 ;\n"
      "C 100 ; WX 556 ; N d ; B 30 -15 520 725 ;\n"
      "C 112 ; WX 556.4 ; N p ; B 30 -207 520 538 ;\n"
      "C 200 ; WX 333 ; N grave ; B 0 0 1 1 ;\n"
      "C -1 ; WX 556 ; N Euro ; B 0 0 1 1 ;\n"
      "C -1 ; WX 667 ; N Egrave ; B 0 0 1 1 ;\n"
      "EndCharMetrics\nEndFontMetrics\n";
  std::string name;
  ASSERT_TRUE(AfmPostScriptName(afm, &name));
  EXPECT_EQ(name, "Test-Sans");
  Type1Metrics m;
  ASSERT_TRUE(ParseAfm(afm, &m));
  EXPECT_EQ(m.widths[65], 667);
  EXPECT_EQ(m.widths[112], 556);
  EXPECT_EQ(m.widths[128], 556);  // Euro by name
  EXPECT_EQ(m.widths[200], 667);  // Egrave by name, not the font's own code 200
  EXPECT_EQ(m.firstChar, 65);
  EXPECT_EQ(m.lastChar, 200);
  EXPECT_EQ(m.ascent, 725);    // the zero Ascender comes from "d"
  EXPECT_EQ(m.descent, -207);  // and the Descender from "p"
  EXPECT_EQ(m.capHeight, 725 * 8 / 10);
  EXPECT_EQ(m.italicAngle, -12);
  EXPECT_TRUE(m.hasBBox);
  EXPECT_EQ(m.bbox[1], -220);
  EXPECT_FALSE(m.serif);

  // A symbol font keeps its own codes.
  std::string symbol = afm;
  symbol.replace(symbol.find("AdobeStandardEncoding"), 21, "FontSpecific");
  ASSERT_TRUE(ParseAfm(symbol, &m));
  EXPECT_EQ(m.widths[200], 333);
  EXPECT_EQ(m.widths[128], 0);

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
  std::string hex;
  for (int i = 0; i < 40; ++i) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02x", (i * 7) & 0xFF);
    hex += buf;
    if (i == 31) hex += "\r\n";
  }
  EXPECT_EQ(out, "%!PS-AdobeFont-1.0: T\r\n/FontBBox {-1 -2 30 40} def\r\ncurrentfile eexec\r\n" +
                     hex + "\r\n" + std::string(64, 'f') + "\r\ncleartomark");

  int32_t box[4];
  ASSERT_TRUE(ParsePfbFontBBox(pfb.data(), pfb.size(), box));
  EXPECT_EQ(box[0], -1);
  EXPECT_EQ(box[3], 40);
  const std::string array = "/FontBBox[0 -5 9 7]", broken = "/FontBBox {1 2 3 x}";
  EXPECT_TRUE(ParsePfbFontBBox(reinterpret_cast<const uint8_t*>(array.data()), array.size(), box));
  EXPECT_EQ(box[1], -5);
  EXPECT_FALSE(
      ParsePfbFontBBox(reinterpret_cast<const uint8_t*>(broken.data()), broken.size(), box));
  std::string far(16384, ' ');
  far += "/FontBBox {1 2 3 4}";
  EXPECT_FALSE(ParsePfbFontBBox(reinterpret_cast<const uint8_t*>(far.data()), far.size(), box));

  // Broken files write nothing: a short segment, a missing end, a bad marker or type.
  std::vector<uint8_t> shortened(pfb.begin(), pfb.end() - 8);
  EXPECT_EQ(CopyToString(shortened, &out), 0);
  EXPECT_EQ(out, "");
  std::vector<uint8_t> noEnd(pfb.begin(), pfb.end() - 6);
  EXPECT_EQ(CopyToString(noEnd, &out), 0);
  std::vector<uint8_t> shortEnd(pfb.begin(), pfb.end() - 4);  // the two-byte end marker
  EXPECT_EQ(CopyToString(shortEnd, &out), 1);
  std::vector<uint8_t> shortHeader(pfb.begin(), pfb.end() - 5);
  EXPECT_EQ(CopyToString(shortHeader, &out), 0);
  shortHeader.insert(shortHeader.end(), {1, 5, 0});  // a text segment whose length is cut off
  EXPECT_EQ(CopyToString(shortHeader, &out), 0);
  EXPECT_EQ(out, "");
  std::vector<uint8_t> badType = pfb;
  badType[1] = 4;
  EXPECT_EQ(CopyToString(badType, &out), 0);
  EXPECT_EQ(out, "");
  std::vector<uint8_t> badMarker = pfb;
  badMarker[0] = 0x7F;
  EXPECT_EQ(CopyToString(badMarker, &out), 0);
  // A writer that fails stops the copy.
  EXPECT_EQ(CopyPfb(pfb.data(), pfb.size(), [](const char*, size_t) { return false; }), 0);
}

TEST(Type1FontsTest, VersionCheck) {
  CaptureMessages capture;
  EXPECT_EQ(Type1BridgeVersion() & 0xFF, 4);
  EXPECT_TRUE(CheckType1BridgeVersion());
  EXPECT_TRUE(CheckType1BridgeVersion(2 | (1 << 8)));
  EXPECT_TRUE(gMessages.empty());
  EXPECT_FALSE(CheckType1BridgeVersion(2 | (0 << 8)));
  EXPECT_FALSE(CheckType1BridgeVersion(1 | (50 << 8)));
  ASSERT_EQ(gMessages.size(), 2u);
  EXPECT_EQ(gMessages[0],
            "Ondara Draw requires ATM Version 2.01 or later.\nYou are running ATM version 2.00");
  EXPECT_EQ(gMessages[1],
            "Ondara Draw requires ATM Version 2.01 or later.\nYou are running ATM version 1.50");
}

TEST(Type1FontsTest, FacesFromAtmIniOrFontconfig) {
  std::string dir = TestWorkDir("type1-bridge");
  // Restored however the test ends, so later tests see the real settings directory.
  struct ConfigHome {
    explicit ConfigHome(const std::string& dir) {
      const char* old = std::getenv("XDG_CONFIG_HOME");
      had = old != nullptr;
      if (old) saved = old;
      setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    ~ConfigHome() {
      if (had) {
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
      } else {
        unsetenv("XDG_CONFIG_HOME");
      }
    }
    bool had = false;
    std::string saved;
  } home(dir);
  CaptureMessages capture;

  // Without an atm.ini the bridge offers fontconfig's Type 1 faces.
  std::vector<Type1Face> system = LoadType1Faces();
  bool haveNimbus = RunCommand(std::string("test -f ") + kNimbusPfb + " -a -f " + kNimbusAfm) == 0;
  if (haveNimbus) {
    EXPECT_TRUE(Type1BridgeRunning());
    const Type1Face* sans = nullptr;
    for (const Type1Face& f : system) {
      if (f.postScriptName == "NimbusSans-Regular") sans = &f;
    }
    ASSERT_NE(sans, nullptr);
    EXPECT_EQ(sans->faceName, "Nimbus Sans");
    EXPECT_EQ(sans->style, 0);
    Type1Metrics m;
    ASSERT_TRUE(ReadType1Metrics(*sans, &m));
    EXPECT_EQ(m.widths[65], 667);
    EXPECT_GT(m.ascent, 600);
    EXPECT_LT(m.descent, -100);
    EXPECT_TRUE(m.hasBBox);
    std::string out;
    ASSERT_EQ(CopyPfbFile(sans->pfbPath,
                          [&out](const char* d, size_t n) {
                            out.append(d, n);
                            return true;
                          }),
              1);
    EXPECT_EQ(out.rfind("%!PS-AdobeFont", 0), 0u);
    EXPECT_NE(out.find("cleartomark"), std::string::npos);
  }
  EXPECT_TRUE(gMessages.empty());

  // A user's atm.ini replaces them; its font's box comes from the PFB.
  std::filesystem::create_directories(dir + "/ulvex");
  ASSERT_TRUE(WriteFileBytes(dir + "/ulvex/x.pfm", Bytes(MakePfm("X-Roman"))));
  std::vector<uint8_t> pfb = Segment(1, "/FontBBox { 1 -2 3 4 }\r");
  std::vector<uint8_t> end = Segment(3, "");
  pfb.insert(pfb.end(), end.begin(), end.end());
  ASSERT_TRUE(WriteFileBytes(dir + "/ulvex/x.pfb", Bytes(pfb)));
  ASSERT_TRUE(WriteFileBytes(dir + "/ulvex/atm.ini", "[Fonts]\r\nX=x.pfm,x.pfb\r\n"));
  EXPECT_TRUE(Type1BridgeRunning());
  std::vector<Type1Face> faces = LoadType1Faces();
  ASSERT_EQ(faces.size(), 1u);
  EXPECT_EQ(faces[0].postScriptName, "X-Roman");
  EXPECT_EQ(GetProfileString("Fonts", "X", ""), "X-Roman");
  Type1Metrics m;
  ASSERT_TRUE(ReadType1Metrics(faces[0], &m));
  EXPECT_TRUE(m.hasBBox);
  EXPECT_EQ(m.bbox[1], -2);
  EXPECT_EQ(m.widths[33], 333);
  EXPECT_TRUE(gMessages.empty());
}
