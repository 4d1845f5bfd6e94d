// What the TrueType converter tests share: running a converter into a string with its log, and
// Ghostscript drawing a converted Liberation Sans.
#pragma once

#include <filesystem>
#include <string>

#include "fonts/StringSink.h"
#include "fonts/TrueTypeBuilder.h"
#include "model/DebugLog.h"
#include "support/OutputTestSupport.h"

namespace convtest {

struct Result {
  int32_t ok = 0;
  std::string text;
  std::string log;
};

template <typename Converter>
Result Convert(const ttb::Bytes& font) {
  ClearDebugLog();
  StringSink sink;
  Result r;
  r.ok = Converter().convert(font.data(), font.size(), &sink);
  r.text = sink.text;
  for (const std::string& line : DebugLogLines()) r.log += line + "\n";
  return r;
}

inline ttb::Bytes FileBytes(const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  return ttb::Bytes(bytes.begin(), bytes.end());
}

inline const std::string kLiberationSans =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

// Shows two lines of Liberation Sans, re-encoded to Latin-1 so that accented (composite) glyphs
// are drawn too; Ghostscript must run clean and the ink must cover both lines.
template <typename Converter>
void ExpectGhostscriptRendersLiberationSans(const std::string& name) {
  if (!std::filesystem::exists(kLiberationSans)) GTEST_SKIP() << kLiberationSans;
  Result r = Convert<Converter>(FileBytes(kLiberationSans));
  ASSERT_EQ(r.ok, 1) << r.log;
  std::string dir = TestWorkDir(name), ps = dir + "/page.ps";
  ASSERT_TRUE(
      WriteFileBytes(ps, "%!PS-Adobe-3.0\n" + r.text +
                             "/LiberationSans findfont dup length dict begin\n"
                             "{1 index /FID ne {def} {pop pop} ifelse} forall\n"
                             "/Encoding ISOLatin1Encoding def currentdict end\n"
                             "/LiberationSans-Latin1 exch definefont pop\n"
                             "/LiberationSans-Latin1 findfont 36 scalefont setfont\n"
                             "72 700 moveto (Hamburgefonstiv \\(3\\)) show\n"
                             "72 600 moveto (AVWAY fi \\311\\351\\374\\305 0123456789) show\n"
                             "showpage\n"));
  ExpectGhostscriptClean("-sDEVICE=png16m -r36 -sOutputFile=" + dir + "/page.png " + ps,
                         dir + "/gs.log");
  // The glyphs really are drawn: the ink covers the two text lines.
  RunCommand("gs -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox " + ps + " > " + dir + "/bbox.log 2>&1");
  std::string out = ReadFileBytes(dir + "/bbox.log");
  int llx = 0, lly = 0, urx = 0, ury = 0;
  size_t at = out.find("%%BoundingBox:");
  ASSERT_NE(at, std::string::npos) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at, "%%%%BoundingBox: %d %d %d %d", &llx, &lly, &urx, &ury),
            4);
  EXPECT_NEAR(llx, 72, 6);
  EXPECT_GT(urx, 300);
  EXPECT_LT(lly, 610);
  EXPECT_GT(ury, 720);
}

}  // namespace convtest
