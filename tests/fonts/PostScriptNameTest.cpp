// A face has one PostScript name: the font list's, which the embedded programs define, even
// when the Macintosh name record holds a text that cannot be a PostScript name.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fonts/FontManager.h"
#include "fonts/StringSink.h"
#include "fonts/TrueTypeBuilder.h"
#include "support/OutputTestSupport.h"

namespace {

// The font list of that one font, loaded from a file in `dir`.
std::unique_ptr<TrueTypeFontList> ListOfMisMatch(const std::string& dir) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.withHinting = false;
  plan.cmap = {{'A', 1}, {' ', 2}};
  // The Macintosh record holds a text that cannot be a PostScript name; Windows has "MisMatch".
  plan.fullName = plan.psName = "Mis Match";
  plan.windowsPsName = "MisMatch";
  const ttb::Bytes font = ttb::BuildFont(plan);
  const std::string path = dir + "/mismatch.ttf";
  EXPECT_TRUE(WriteFileBytes(path, std::string(font.begin(), font.end())));
  auto fonts = std::make_unique<TrueTypeFontList>(dir + "/ondara.ini");
  fonts->UseFontFiles({path});
  EXPECT_EQ(fonts->LoadFonts(), 1);
  return fonts;
}

}  // namespace

TEST(PostScriptName, EmbeddedProgramsDefineTheListedName) {
  auto fonts = ListOfMisMatch(TestWorkDir("psname"));
  FontFace* face = fonts->FindFace("MisMatch");
  ASSERT_NE(face, nullptr);
  for (int type42 : {1, 0}) {
    StringSink sink;
    ASSERT_EQ(face->Download(&sink, type42), 1);
    EXPECT_NE(sink.text.find("/FontName /MisMatch def"), std::string::npos) << type42;
  }
}

TEST(PostScriptNameInterop, GhostscriptFindsTheEmbeddedFace) {
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  const std::string dir = TestWorkDir("psname_gs");
  auto fonts = ListOfMisMatch(dir);
  FontFace* face = fonts->FindFace("MisMatch");
  ASSERT_NE(face, nullptr);
  for (int type42 : {1, 0}) {
    StringSink sink;
    ASSERT_EQ(face->Download(&sink, type42), 1);
    const std::string ps = dir + "/page" + std::to_string(type42) + ".ps";
    ASSERT_TRUE(WriteFileBytes(ps, "%!PS-Adobe-3.0\n" + sink.text + "\n/" + face->PostScriptName() +
                                       " findfont 48 scalefont setfont\n"
                                       "72 400 moveto (AA A) show\nshowpage\n"));
    ExpectGhostscriptClean("-sDEVICE=nullpage " + ps, ps + ".log");
  }
}
