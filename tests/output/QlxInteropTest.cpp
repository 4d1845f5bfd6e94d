// Ghostscript must print our native, EPS and PostScript files of a drawing with every shape kind
// without an error, with fonts referenced, embedded as Type 42, Type 3 and Type 1, and
// substituted; epstool must accept the EPS.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "fonts/FontManager.h"
#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "support/OutputTestSupport.h"

namespace {

const std::string kLiberationSans =
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
const std::string kNimbusPfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const std::string kNimbusAfm = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.afm";

void BuildDrawing(Drawing* d) {
  auto* line = new LineShape(20, 20, 200, 60);
  line->SetArrows(Arrowhead{1, 0}, Arrowhead{2, 0});
  line->SetLineWidth(2);
  d->AddShape(line);
  auto* oval = new OvalShape(100, 300, 60, 30);
  oval->SetFillColor(Color{100, 0, 0});
  oval->SetPattern(6);
  d->AddShape(oval);
  auto* box = new BoxShape(250, 250, 400, 350);
  box->SetDash(2);
  box->Rotate(325, 300, 30);
  d->AddShape(box);
  d->AddShape(new ArcShape(450, 450, 50, 40, 30, 240));
  auto* poly = new PolygonShape;
  poly->AddPoint(50, 500);
  poly->AddPoint(150, 520);
  poly->AddPoint(90, 600);
  poly->closed = 1;
  poly->SetFillColor(Color{0, 50, 100});
  poly->SetPattern(0);
  auto* curve = new CurveShape;
  curve->AddNode(MakeCurveNode(300, 500, 0));
  curve->AddNode(MakeCurveNode(380, 560, 1));
  curve->AddNode(MakeCurveNode(450, 520, 0));
  curve->Smooth();
  auto* group = new GroupShape;
  group->children()->Append(poly);
  auto* inner = new GroupShape;
  inner->children()->Append(curve);
  group->children()->Append(inner);
  d->AddShape(group);
  auto* compound = new CompoundShape;
  compound->children()->Append(new BoxShape(450, 100, 550, 200));
  compound->children()->Append(new OvalShape(500, 150, 30, 30));
  d->AddShape(compound);
  auto* image = new ImageShape;
  image->image.width = 5;
  image->image.height = 3;
  for (int i = 0; i < 15; i++) {
    image->image.pixels.insert(image->image.pixels.end(),
                               {uint8_t(i * 17), uint8_t(255 - i * 17), 128});
  }
  image->SetMatrix(100, 0, 0, 60, 250, 650);
  d->AddShape(image);
  const char* fonts[] = {"LiberationSans", "NimbusSans-Regular", "Times-Roman"};
  float y = 200;
  int align = 0;
  for (const char* font : fonts) {
    auto* text = new TextShape(
        "Justified text (with) \xe9 accents\rand a second paragraph that "
        "wraps",
        font, 12, 13, align++);
    text->SetFrame(50, y, 200, y - 10);
    text->Move(0, 0);
    d->AddShape(text);
    y += 80;
  }
  auto* justified = new TextShape("one two three four five six seven", "LiberationSans", 10, 11, 3);
  justified->SetFrame(300, 720, 400, 700);
  d->AddShape(justified);
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
      !std::filesystem::exists(kNimbusAfm)) {
    GTEST_SKIP() << "test fonts missing";
  }
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

  ExportOptions options;
  options.includeFonts = 1;
  options.type42 = 1;
  ASSERT_EQ(ExportDrawing(drawing, kExportPostScript, dir + "/type42.ps", options), 1);
  EXPECT_NE(ReadFileBytes(dir + "/type42.ps").find("%%BeginResource: font NimbusSans-Regular"),
            std::string::npos);
  RenderClean(dir + "/type42.ps", dir);

  options.type42 = 0;
  ASSERT_EQ(ExportDrawing(drawing, kExportEps, dir + "/type3.eps", options), 1);
  RenderClean(dir + "/type3.eps", dir);

  options.substitutePsFonts = 1;
  drawing.landscape = 1;
  ASSERT_EQ(ExportDrawing(drawing, kExportEps, dir + "/subst.eps", options), 1);
  EXPECT_NE(ReadFileBytes(dir + "/subst.eps").find("/_Helvetica 12 13 0 0 z"), std::string::npos);
  RenderClean(dir + "/subst.eps", dir);
  SetFontManager(nullptr);

  if (RunCommand("epstool --help > /dev/null 2>&1") != 0 &&
      RunCommand("which epstool > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "epstool not installed";
  }
  for (const char* eps : {"type3.eps", "subst.eps"}) {
    std::string log = dir + "/" + eps + ".epstool";
    int status = RunCommand("epstool --test-eps '" + dir + "/" + eps + "' > '" + log + "' 2>&1");
    EXPECT_EQ(status, 0) << eps << "\n" << ReadFileBytes(log);
  }
}
