// Ghostscript must print our native, EPS and PostScript files of a drawing with every shape kind
// without an error, with fonts referenced, embedded as Type 42, Type 3 and Type 1, and
// substituted; epstool must accept the EPS.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/RoundTripDrawing.h"
#include "support/OutputTestSupport.h"

namespace {

const std::string kLiberationSans =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const std::string kNimbusPfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const std::string kNimbusAfm = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";

// Every shape kind and style, with the texts set in a TrueType face, a Type 1 face and a resident
// font by alignment (left and justified in Liberation Sans).
void BuildDrawing(Drawing* d) {
  roundtrip::BuildRoundTripDrawing(d);
  const char* fonts[] = {"LiberationSans", "NimbusSans-Regular", "Times-Roman", "LiberationSans"};
  for (Shape* s : d->shapes()) {
    if (s->Kind() != kTextShape) continue;
    auto* text = static_cast<TextShape*>(s);
    text->SetTextStyle(fonts[text->alignment()], text->size(), text->leading(), text->alignment());
  }
}

// Ghostscript prints one file cleanly (resident fonts may come from its own set).
void RenderClean(const std::string& path, const std::string& dir) {
  ExpectGhostscriptClean("-sDEVICE=png16m -r36 -sOutputFile='" + dir + "/page.png' '" + path + "'",
                         path + ".log", false);
}

}  // namespace

TEST(QlxInterop, GhostscriptPrintsEveryVariant) {
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  if (!std::filesystem::exists(kLiberationSans) || !std::filesystem::exists(kNimbusPfb) ||
      !std::filesystem::exists(kNimbusAfm))
    GTEST_SKIP() << "test fonts missing";
  std::string dir = TestWorkDir("QlxInterop");
  auto manager = std::make_unique<CombinedFontManager>(dir + "/ulvex.ini");
  manager->Type1List().UseFaces({{"Nimbus Sans", "NimbusSans-Regular", 0, kNimbusAfm, kNimbusPfb}});
  manager->TrueTypeList().UseFontFiles({kLiberationSans});
  manager->LoadFonts();
  SetFontManager(std::move(manager));
  ASSERT_NE(TheFontManager()->FindFace("LiberationSans"), nullptr);

  Drawing drawing;
  BuildDrawing(&drawing);
  ASSERT_EQ(SaveDrawing(drawing, dir + "/plain.qlx"), 1);
  RenderClean(dir + "/plain.qlx", dir);

  // Embedded as Type 42 and as Type 3, and substituted, in landscape.
  drawing.landscape = 1;
  const struct {
    const char* name;
    int32_t kind;
    ExportOptions options;
    const char* part;
  } files[] = {{"type42.ps",
                kExportPostScript,
                {.includeFonts = 1, .type42 = 1},
                "%%BeginResource: font NimbusSans-Regular"},
               {"type3.eps", kExportEps, {.includeFonts = 1}, "%%BeginResource: font"},
               {"subst.eps",
                kExportEps,
                {.substitutePsFonts = 1, .includeFonts = 1},
                "/_Helvetica 12 13 0 0 z"}};
  for (const auto& f : files) {
    const std::string path = dir + "/" + f.name;
    ASSERT_EQ(ExportDrawing(drawing, f.kind, path, f.options), 1);
    EXPECT_TRUE(Contains(ReadFileBytes(path), f.part)) << f.name;
    RenderClean(path, dir);
  }
  SetFontManager(nullptr);

  if (!HaveTool("epstool")) GTEST_SKIP() << "epstool not installed";
  for (const char* eps : {"type3.eps", "subst.eps"}) {
    std::string log = dir + "/" + eps + ".epstool";
    int status = RunCommand("epstool --test-eps '" + dir + "/" + eps + "' > '" + log + "' 2>&1");
    EXPECT_EQ(status, 0) << eps << "\n" << ReadFileBytes(log);
  }
}
