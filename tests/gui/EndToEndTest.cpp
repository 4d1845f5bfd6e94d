#include <QTest>
#include <cmath>
#include <vector>

#include "app/AppState.h"
#include "app/BarButton.h"
#include "app/Commands.h"
#include "app/DrawingWindow.h"
#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "app/ToolPalette.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/PsReader.h"
#include "render/View.h"
#include "support/OutputTestSupport.h"
#include "tools/Tool.h"

namespace {

// A user's session: one point per pixel and a 6-point snapping grid, so that every position
// below lands exactly where it is given.
class EndToEndInterop : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    Start().window()->resize(900, 700);
    QTest::qWait(0);
    FixView(1, 6);
  }
  void TearDown() override {
    SetFileDialogHook(nullptr);
    GuiTest::TearDown();
  }
  static void Tool(int id) {
    QTest::mouseClick(App().mainWindow->palette()->button(id), Qt::LeftButton);
  }
  static Rect Bounds(Shape* s) {
    Rect r;
    s->GetBounds(&r, 0);
    return NormalizeRect(r);
  }
  static std::vector<Rect> AllBounds(ShapeList& shapes) {
    std::vector<Rect> out;
    for (Shape* s : shapes) out.push_back(Bounds(s));
    return out;
  }
};

void ExpectNear(const std::vector<Rect>& got, const std::vector<Rect>& want, float tolerance) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    const float g[4] = {got[i].x1, got[i].y1, got[i].x2, got[i].y2};
    const float w[4] = {want[i].x1, want[i].y1, want[i].x2, want[i].y2};
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(g[k], w[k], tolerance) << "shape " << i;
  }
}

}  // namespace

TEST_F(EndToEndInterop, DrawEditSaveAndReadBack) {
  Drawing& d = *App().drawing;
  Tool(kToolLine);
  Drag(102, 600, 198, 552);
  Tool(kToolRectangle);
  Drag(240, 600, 330, 540);
  Tool(kToolEllipse);
  Drag(432, 570, 480, 540);  // from the centre; the pointer lies on the ellipse
  Tool(kToolArc);
  Click(150, 450);           // the centre
  Drag(198, 450, 150, 498);  // a quarter, anti-clockwise
  Tool(kToolCurve);
  Drag(240, 480, 300, 450);
  Click(330, 420);
  DoubleClick(360, 450);
  Tool(kToolPolygon);
  Click(480, 420);
  Click(540, 420);
  DoubleClick(510, 366);
  Tool(kToolText);
  Click(240, 330);
  QTest::keyClicks(App().client->viewport(), "Hello");
  Tool(kToolSelection);
  const int kinds[] = {kLineShape,  kBoxShape,     kOvalShape, kArcShape,
                       kCurveShape, kPolygonShape, kTextShape};
  ASSERT_EQ(d.shapes().Count(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(d.shapes()[i]->Kind(), kinds[i]) << i;
  EXPECT_STREQ(static_cast<TextShape*>(d.shapes()[6])->text(), "Hello");

  // The rectangle's corner by its handle, the line by dragging it.
  Click(240, 570);
  Drag(330, 540, 354, 516);
  ExpectNear({Bounds(d.shapes()[1])}, {{240, 516, 354, 600}}, 0.01f);
  Drag(150, 576, 102, 600);
  ExpectNear({Bounds(d.shapes()[0])}, {{54, 576, 150, 624}}, 0.01f);
  const std::vector<Rect> moved = AllBounds(d.shapes());

  // A quarter turn of the ellipse about its centre, the polygon twice as large.
  const Rect e = Bounds(d.shapes()[2]);
  Click(e.x2, 570);
  Tool(kToolRotate);
  Click(432, 570);
  Drag(480, 570, 432, 618);
  const float rx = (e.x2 - e.x1) / 2, ry = (e.y2 - e.y1) / 2;
  ExpectNear({Bounds(d.shapes()[2])}, {{432 - ry, 570 - rx, 432 + ry, 570 + rx}}, 0.01f);
  Tool(kToolSelection);
  Click(510, 420);
  Tool(kToolScale);
  Click(480, 366);
  Drag(540, 420, 600, 474);
  ExpectNear({Bounds(d.shapes()[5])}, {{480, 366, 600, 474}}, 0.01f);
  const std::vector<Rect> transformed = AllBounds(d.shapes());

  // Each click that selected is a move by nothing, a step of its own.
  for (int i = 0; i < 4; ++i) DispatchCommand(kCommandUndo);
  ExpectNear(AllBounds(d.shapes()), moved, 0.01f);
  for (int i = 0; i < 4; ++i) DispatchCommand(kCommandRedo);
  ExpectNear(AllBounds(d.shapes()), transformed, 0.01f);

  const std::string path = work_ + "/session.qlx";
  SetFileDialogHook([path](const FileDialogRequest& r, FileChoice* choice) {
    EXPECT_EQ(r.use, FileDialogUse::kSaveAs);
    choice->path = path;
    choice->filter = 1;
    return true;
  });
  DispatchCommand(kCommandSaveAs);
  EXPECT_EQ(d.modified, 0);
  Drawing again;
  ASSERT_EQ(ReadDrawingFile(path.c_str(), &again, nullptr), 1);
  ASSERT_EQ(again.shapes().Count(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(again.shapes()[i]->Kind(), kinds[i]) << i;
  // A text comes back within a twentieth of a point, any other shape within a hundredth.
  std::vector<Rect> read = AllBounds(again.shapes()), want = transformed;
  ExpectNear({read.back()}, {want.back()}, 0.05f);
  read.pop_back();
  want.pop_back();
  ExpectNear(read, want, 0.01f);
  if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript not installed";
  // The fonts are the printer's to supply, so a substitute there is no fault of the file.
  ExpectGhostscriptClean("-sDEVICE=pgmraw -r36 -sOutputFile=/dev/null '" + path + "'",
                         path + ".log", false);
}
