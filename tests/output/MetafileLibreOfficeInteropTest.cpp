// Metafiles as LibreOffice writes them from an SVG scene: every shape comes in, curves as
// curves, and the text at its real size with a matrix that only moves it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/TextShape.h"
#include "output/MetafileImport.h"
#include "support/TestSupport.h"

namespace {

// A 288 x 216 point scene: a box with a 3 point outline, an ellipse, an open red curve 4 points
// wide, a filled triangle, a polyline and a line of 20 point text.
const char kScene[] =
    "<svg xmlns='http://www.w3.org/2000/svg' width='288pt' height='216pt' viewBox='0 0 288 216'>"
    "<rect x='20' y='20' width='100' height='60' fill='#3366cc' stroke='#000' stroke-width='3'/>"
    "<ellipse cx='200' cy='50' rx='50' ry='30' fill='#ffcc00' stroke='#000' stroke-width='1'/>"
    "<path d='M 20 120 C 60 90 100 170 140 120' fill='none' stroke='#f00' stroke-width='4'/>"
    "<polygon points='170,100 260,100 215,160' fill='#33aa33' stroke='none'/>"
    "<polyline points='20,190 60,150 100,190 140,150' fill='none' stroke='#000' "
    "stroke-width='2'/>"
    "<text x='150' y='200' font-family='DejaVu Sans' font-size='20'>Hello WMF</text></svg>";

// The scene converted by LibreOffice to `kind` in a private profile; empty when it failed.
std::string Convert(const std::string& kind) {
  const std::string dir = TestWorkDir("metafile_lo_" + kind);
  if (!WriteFileBytes(dir + "/scene.svg", kScene)) return "";
  const std::string cmd = "cd " + dir + " && timeout 180 soffice -env:UserInstallation=file://" +
                          dir + "/profile --headless --convert-to " + kind +
                          " scene.svg >/dev/null 2>&1";
  if (RunCommand(cmd) != 0) return "";
  return dir + "/scene." + kind;
}

bool HasCurve(Shape* s) {
  if (s->Kind() == kCurveShape || s->Kind() == kOvalShape) return true;
  if (s->Kind() != kCompoundShape) return false;
  for (Shape* c : *static_cast<CompoundShape*>(s)->children()) {
    if (HasCurve(c)) return true;
  }
  return false;
}

}  // namespace

class MetafileLibreOfficeInterop : public ::testing::TestWithParam<const char*> {};

TEST_P(MetafileLibreOfficeInterop, SceneComesInWhole) {
  if (RunCommand("command -v soffice >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "soffice is not installed";
  }
  const std::string kind = GetParam();
  const std::string path = Convert(kind);
  ASSERT_FALSE(path.empty());
  ShapeList shapes;
  ASSERT_EQ(ImportMetafile(path, &shapes), 1);
  // 288 points wide, under 300, so the picture grows to the page's width, centred on it.
  const Rect all = BoundsOfList(shapes, 0);
  EXPECT_NEAR(all.x2 - all.x1, 612, 612 * 0.05);
  EXPECT_NEAR((all.x1 + all.x2) / 2, 306, 0.5);
  // The triangle, 90 points wide in the scene, gives the picture's growth.
  float grow = 0;
  for (Shape* s : shapes) {
    PaintStyle st;
    s->GetPaintStyle(&st);
    if (st.fillOn && st.fillColor == Color{20, 66, 20}) {
      Rect r;
      s->GetBounds(&r, 0);
      grow = (r.x2 - r.x1) / 90;
    }
  }
  ASSERT_GT(grow, 0);
  int texts = 0, curves = 0, red = 0;
  for (Shape* s : shapes) {
    curves += HasCurve(s);
    PaintStyle st;
    s->GetPaintStyle(&st);
    red += (st.fillOn && st.fillColor == Color{100, 0, 0}) ||
           (st.strokeOn && st.strokeColor == Color{100, 0, 0});
    if (s->Kind() != kTextShape) continue;
    ++texts;
    auto* t = static_cast<TextShape*>(s);
    EXPECT_STREQ(t->text(), "Hello WMF");
    // 20 points, grown with the picture; the matrix neither scales nor turns.
    EXPECT_NEAR(t->size() / grow, 20, 1.0) << kind;
    EXPECT_NEAR(t->matrix().a, 1, 1e-4);
    EXPECT_NEAR(t->matrix().b, 0, 1e-4);
    EXPECT_NEAR(t->matrix().d, 1, 1e-4);
  }
  EXPECT_EQ(texts, 1);
  EXPECT_GT(red, 0);  // the curve
  // WMF has no Beziers: LibreOffice flattens curves there; the EMF keeps them.
  if (kind == std::string("emf")) {
    EXPECT_GE(curves, 2);
  }
  DestroyShapes(&shapes);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MetafileLibreOfficeInterop, ::testing::Values("wmf", "emf"));
