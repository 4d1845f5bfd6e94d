#include <QTest>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/DrawingWindow.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "support/ModelTestSupport.h"
#include "support/TestSupport.h"
#include "tools/Tool.h"

namespace {

class SelectionToolTest : public GuiTest {
 protected:
  Drawing& Begin() {
    Application& app = Start();
    QTest::qWait(0);
    vp_ = App().client->viewport();
    return app.drawing();
  }
  Point Pt(QPoint px) const {
    const QPointF p = App().client->ToDrawing(px);
    return Point{float(p.x()), float(p.y())};
  }
  QWidget* vp_ = nullptr;
};

TEST_F(SelectionToolTest, PressOnAnUnselectedObjectSelectsOnlyItAndMovesIt) {
  Drawing& d = Begin();
  auto* a = new BoxShape(300, 300, 350, 350);
  auto* b = new BoxShape(100, 100, 200, 200);
  d.AddShape(a);
  d.AddShape(b);
  d.Select(a);
  const QPoint from = At(100, 150), to = from + QPoint(30, -20);
  Drag(from, to);
  ASSERT_EQ(d.selection().Count(), 1);
  EXPECT_EQ(d.selection()[0], b);
  const Point p = Pt(from), q = Pt(to);
  EXPECT_NEAR(BoundsOf(b, 0).x1, 100 + q.x - p.x, 1e-3);
  EXPECT_NEAR(BoundsOf(b, 0).y1, 100 + q.y - p.y, 1e-3);
  EXPECT_EQ(V(BoundsOf(a, 0).x1, d.undo().UndoCount()), V(300, 1));
}

TEST_F(SelectionToolTest, AClickWithoutMovingIsAnUndoableMove) {
  Drawing& d = Begin();
  auto* box = new BoxShape(100, 100, 200, 200);
  d.AddShape(box);
  d.Select(box);
  d.MoveBy(5, 0);
  d.Undo();
  ASSERT_EQ(d.undo().RedoCount(), 1);
  Click(100, 150);
  EXPECT_EQ(V(d.undo().UndoCount(), d.undo().RedoCount(), BoundsOf(box, 0).x1), V(1, 0, 100));
}

TEST_F(SelectionToolTest, RubberBandTogglesWithShiftAndSaysSoAtOnce) {
  Drawing& d = Begin();
  auto* a = new BoxShape(100, 100, 150, 150);
  auto* b = new BoxShape(200, 100, 250, 150);
  d.AddShape(a);
  d.AddShape(b);
  d.Select(a);
  const QPoint to = At(300, 200);
  Press(50, 50);
  Move(300, 200);
  EXPECT_EQ(StatusText(), "Selection");
  QTest::keyPress(vp_, Qt::Key_Shift);
  EXPECT_EQ(StatusText(), "Toggle selection");
  QTest::mouseRelease(vp_, Qt::LeftButton, Qt::ShiftModifier, to);
  QTest::keyRelease(vp_, Qt::Key_Shift);
  ASSERT_EQ(d.selection().Count(), 1);
  EXPECT_EQ(d.selection()[0], b);
  EXPECT_EQ(StatusText(), "1 object selected");
}

// Stands in for the line tool: every point is on handle 0.
struct FakeEditor : Tool {
  void BeginEdit(Shape* s) override { seen.push_back(s ? "edit" : "edit null"); }
  int HitHandle(float, float) override { return 0; }
  void MouseDown(float, float, int) override { seen.push_back("down"); }
  void MouseMove(float, float, int) override { seen.push_back("move"); }
  void MouseUp(float, float, int) override { seen.push_back("up"); }
  std::vector<std::string> seen;
};

TEST_F(SelectionToolTest, PressOnAHandleHandsTheDragToTheEditTool) {
  Drawing& d = Begin();
  FakeEditor editor;
  Tool* saved = TheShapeEditors().line;
  TheShapeEditors().line = &editor;
  auto* box = new BoxShape(300, 300, 350, 350);
  auto* line = new LineShape(100, 100, 200, 200);
  d.AddShape(box);
  d.AddShape(line);
  d.Select(box);
  d.Select(line);
  Drag(100, 100, 120, 90);
  TheShapeEditors().line = saved;
  EXPECT_EQ(editor.seen, (std::vector<std::string>{"edit", "down", "move", "move", "up"}));
  ASSERT_EQ(d.selection().Count(), 1);
  EXPECT_EQ(d.selection()[0], line);
  EXPECT_EQ(d.undo().UndoCount(), 0);
}

TEST_F(SelectionToolTest, ArrowsMoveTheSelectionOnePointOnTheScreen) {
  Drawing& d = Begin();
  auto* box = new BoxShape(100, 100, 200, 200);
  d.AddShape(box);
  const struct {
    int landscape;
    Qt::Key key;
    float dx, dy;  // page axes
  } cases[] = {
      {0, Qt::Key_Left, -1, 0}, {0, Qt::Key_Up, 0, 1},  {0, Qt::Key_Right, 1, 0},
      {0, Qt::Key_Down, 0, -1}, {0, Qt::Key_End, 0, 0}, {0, Qt::Key_Home, 0, 0},
      {1, Qt::Key_Left, 0, -1}, {1, Qt::Key_Up, -1, 0}, {1, Qt::Key_Right, 0, 1},
      {1, Qt::Key_Down, 1, 0},
  };
  for (const auto& c : cases) {
    d.landscape = c.landscape;
    App().client->view().UpdateMapping();
    d.ClearSelection();
    d.Select(box);
    const Rect before = BoundsOf(box, 0);
    const int32_t undo = d.undo().UndoCount();
    QTest::keyClick(vp_, c.key);
    const Rect after = BoundsOf(box, 0);
    EXPECT_EQ(V(after.x1 - before.x1, after.y1 - before.y1, d.undo().UndoCount() - undo),
              V(c.dx, c.dy, c.dx || c.dy ? 1 : 0))
        << c.landscape << " " << c.key;
  }
}

TEST_F(SelectionToolTest, DeleteWithAnEmptySelectionDoesNothing) {
  Drawing& d = Begin();
  d.AddShape(new BoxShape(100, 100, 200, 200));
  QTest::keyClick(vp_, Qt::Key_Delete);
  IdleFor(20);
  EXPECT_EQ(V(d.shapes().Count(), d.undo().UndoCount()), V(1, 0));
}

TEST_F(SelectionToolTest, ZoomToolZoomsToARectangleAndAClickFitsThePage) {
  Drawing& d = Begin();
  View& v = App().client->view();
  SelectTool(kToolZoom);
  const QPoint from = At(100, 100), to = At(300, 200);
  const Point p = Pt(from), q = Pt(to);
  Press(100, 100);
  Move(300, 200);
  // The release point is not used: the rectangle is the one last shown.
  QTest::mouseRelease(vp_, Qt::LeftButton, Qt::NoModifier, to + QPoint(40, 40));
  const float w = q.x - p.x, h = q.y - p.y;
  EXPECT_FLOAT_EQ(v.zoom(), ClampZoom(std::min(v.ClientWidth() / w, v.ClientHeight() / h)));
  EXPECT_FLOAT_EQ(v.ScrollX(), (p.x + q.x) / 2 - float(d.PageWidth() / 2));
  EXPECT_FLOAT_EQ(v.ScrollY(), (p.y + q.y) / 2 - float(d.PageHeight() / 2));
  QTest::mouseClick(vp_, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
  EXPECT_EQ(V(v.zoom(), v.ScrollX(), v.ScrollY(), v.fitMode), V(v.FitPageZoom(), 0, 0, kFitPage));
}

TEST_F(SelectionToolTest, ScrollToolKeepsThePressedPointUnderTheCursor) {
  Begin();
  SelectTool(kToolScroll);
  const QPoint from(200, 200), to(260, 150);
  const Point pressed = Pt(from);
  Drag(from, to);
  const Point now = Pt(to);
  // The view moves by whole points.
  EXPECT_NEAR(now.x, pressed.x, 1.0);
  EXPECT_NEAR(now.y, pressed.y, 1.0);
}

}  // namespace
