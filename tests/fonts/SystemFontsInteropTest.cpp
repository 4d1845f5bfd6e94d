// Every TrueType face the system lists converts to both kinds of PostScript font without a crash,
// and the fonts whose glyph names come from a format 2.0 'post' table load and show in Ghostscript.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fonts/StringSink.h"
#include "fonts/Type3Converter.h"
#include "fonts/Type42Converter.h"
#include "model/DebugLog.h"
#include "platform/fontsys/Sfnt.h"
#include "platform/fontsys/SystemFonts.h"
#include "support/OutputTestSupport.h"

namespace {

bool HasFormat2Post(const std::vector<uint8_t>& font) {
  MemorySource src(font.data(), font.size());
  SfntDirectory dir;
  std::vector<uint8_t> post;
  uint32_t version = 0;
  return ReadSfntDirectory(src, 0, &dir) &&
         ReadSfntTable(src, dir, SfntTag('p', 'o', 's', 't'), 1u << 24, &post) &&
         GetU32(post, 0, &version) && version == 0x00020000;
}

// The name a converted font defines itself under.
std::string DefinedFontName(const std::string& program) {
  size_t at = program.find("/FontName /");
  if (at == std::string::npos) return {};
  at += 11;
  size_t end = program.find(' ', at);
  return end == std::string::npos ? std::string() : program.substr(at, end - at);
}

// Runs one page that shows a line in every font; the log must be free of errors and of any
// sign that Ghostscript used a font of its own instead.
void ExpectGhostscriptLoads(const std::string& dir, const std::string& kind,
                            const std::string& programs, const std::vector<std::string>& names) {
  std::string page = "%!PS-Adobe-3.0\n" + programs;
  for (size_t i = 0; i < names.size(); ++i) {
    page += "/" + names[i] + " findfont 10 scalefont setfont 20 " +
            std::to_string(780 - int(i % 70) * 11) + " moveto (Hamburgefonstiv 0123) show\n";
  }
  page += "showpage\n";
  std::string ps = dir + "/" + kind + ".ps";
  ASSERT_TRUE(WriteFileBytes(ps, page));
  ExpectGhostscriptClean("-q -sDEVICE=nullpage " + ps, dir + "/" + kind + ".log");
}

}  // namespace

TEST(SystemFontsInterop, EveryListedFaceConvertsAndFormat2FontsLoadInGhostscript) {
  std::string dir = TestWorkDir("system_fonts_interop");
  std::vector<SystemFace> faces;
  ListSystemFaces(dir + "/ulvex.ini", &faces);
  if (faces.empty()) GTEST_SKIP() << "fontconfig lists no TrueType faces";
  std::string type42Programs, type3Programs;
  std::vector<std::string> type42Names, type3Names;
  for (const SystemFace& face : faces) {
    std::vector<uint8_t> font;
    ASSERT_TRUE(LoadFaceSfnt(face.path, face.faceIndex, &font)) << face.path;
    StringSink t42, t3;
    ClearDebugLog();
    int ok42 = Type42Converter().convert(font.data(), font.size(), &t42);
    // Type 42 carries each table other than 'glyf' in one string, so a large CJK face
    // (long 'loca' or 'hmtx') is refused with its own message rather than converted.
    bool tooLong = !ok42 && !DebugLogLines().empty() &&
                   DebugLogLines().back().find("which is too long") != std::string::npos;
    int ok3 = Type3Converter().convert(font.data(), font.size(), &t3);
    if (!HasFormat2Post(font) || tooLong) continue;
    ASSERT_EQ(ok42, 1) << face.path;
    ASSERT_EQ(ok3, 1) << face.path;
    type42Names.push_back(DefinedFontName(t42.text));
    type3Names.push_back(DefinedFontName(t3.text));
    ASSERT_FALSE(type42Names.back().empty()) << face.path;
    type42Programs += t42.text;
    type3Programs += t3.text;
  }
  ClearDebugLog();
  ASSERT_FALSE(type42Names.empty()) << "no face with a format 2.0 'post' table";
  ExpectGhostscriptLoads(dir, "type42", type42Programs, type42Names);
  ExpectGhostscriptLoads(dir, "type3", type3Programs, type3Names);
}
