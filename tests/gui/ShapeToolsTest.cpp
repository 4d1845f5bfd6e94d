#include <QTest>
#include <cmath>

#include "app/AppState.h"
#include "app/Commands.h"
#include "app/DrawingWindow.h"
#include "app/MainWindow.h"
#include "gui/GuiTestSupport.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "platform/msgbox/Messages.h"
#include "render/View.h"
#include "tools/Tool.h"
#include "tools/ToolSupport.h"

namespace {

// One point per pixel, the page centred, and a 6-point grid that snaps, so that every
// position a test gives is exact after snapping.
class ShapeToolsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    Start().window()->resize(900, 700);
    QTest::qWait(0);
    FixView(1, 6);
    d = App().drawing;
  }

  static QWidget* Port() { return App().client->viewport(); }
  static QPoint At(float x, float y) {
    const View& v = App().client->view();
    const Point p = v.Transform(x, y);
    const double k = v.DevicePixelRatio();
    return QPoint(int(std::lround(p.x / k)), int(std::lround(p.y / k)));
  }
  static void Press(float x, float y, Qt::KeyboardModifiers m = {}) {
    QTest::mousePress(Port(), Qt::LeftButton, m, At(x, y));
  }
  static void Move(float x, float y) { QTest::mouseMove(Port(), At(x, y)); }
  static void Release(float x, float y, Qt::KeyboardModifiers m = {}) {
    QTest::mouseRelease(Port(), Qt::LeftButton, m, At(x, y));
  }
  static void Drag(float x1, float y1, float x2, float y2, Qt::KeyboardModifiers m = {}) {
    Press(x1, y1, m);
    Move(x2, y2);
    Release(x2, y2, m);
  }
  static void Click(float x, float y) {
    Press(x, y);
    Release(x, y);
  }

  Drawing* d = nullptr;
};

TEST_F(ShapeToolsTest, ClickWithoutDragAddsOnlyWhereTheToolAllows) {
  const struct {
    int tool;
    int added;
  } cases[] = {{kToolRectangle, 1}, {kToolEllipse, 1}, {kToolLine, 0}};
  for (const auto& c : cases) {
    DispatchCommand(c.tool);
    const int before = d->shapes().Count();
    Click(301, 403);
    ASSERT_EQ(d->shapes().Count() - before, c.added) << c.tool;
    if (!c.added) {
      EXPECT_TRUE(d->selection().Empty());
      continue;
    }
    Shape* s = d->shapes()[before];
    ASSERT_EQ(d->selection().Count(), 1);
    EXPECT_EQ(d->selection()[0], s);
    Rect r;
    s->GetBounds(&r, 0);
    EXPECT_FLOAT_EQ(r.x1, 300) << c.tool;
    EXPECT_FLOAT_EQ(r.x2, 300) << c.tool;
    EXPECT_FLOAT_EQ(r.y2, 402) << c.tool;
    d->Undo();
    EXPECT_EQ(d->shapes().Count(), before);
  }
}

// Each move replaces the previous rubber band: going there and back leaves the same picture.
TEST_F(ShapeToolsTest, DragFeedbackFollowsThePointerInBothModes) {
  DispatchCommand(kToolEllipse);
  for (bool preview : {true, false}) {
    App().client->view().preview = preview;
    App().client->view().Redraw(nullptr);
    const QImage clean = App().client->view().Window().image().copy();
    Press(300, 402);
    Move(336, 432);
    const QImage there = App().client->view().Window().image().copy();
    Move(270, 366);
    Move(336, 432);
    EXPECT_EQ(App().client->view().Window().image(), there) << preview;
    EXPECT_NE(there, clean) << preview;
    Release(336, 432);
  }
}

TEST_F(ShapeToolsTest, ShiftMidDragTurnsTheRectangleIntoASquare) {
  DispatchCommand(kToolRectangle);
  Press(300, 402);
  Move(240, 426);
  EXPECT_EQ(StatusText(), "Rectangle: 60x24");
  // The window sends the last position again when Shift goes down; until that key handling
  // is in, the tool gets that move directly.
  QTest::keyPress(Port(), Qt::Key_Shift);
  CurrentTool()->MouseMove(240, 426, 1);
  EXPECT_EQ(StatusText(), "Square: 60");
  Release(240, 426, Qt::ShiftModifier);
  auto* box = static_cast<BoxShape*>(d->shapes()[0]);
  EXPECT_FLOAT_EQ(box->x2, 240);
  EXPECT_FLOAT_EQ(box->y2, 462);
  EXPECT_EQ(StatusText(), "Rectangle: Click a corner, drag to opposite corner");
}

TEST_F(ShapeToolsTest, ArcSnapsCentreAndSweepButNotTheStartPress) {
  DispatchCommand(kToolArc);
  Click(301, 403);
  EXPECT_EQ(StatusText(), "Arc: Click start angle, drag anti-clockwise to end angle");
  const QPoint start = At(331, 405);
  QTest::mousePress(Port(), Qt::LeftButton, {}, start);
  EXPECT_EQ(StatusText(), "Arc: Drag anti-clockwise to end angle");
  Move(340, 440);
  Move(301, 469);
  Release(301, 469);
  ASSERT_EQ(d->shapes().Count(), 1);
  auto* arc = static_cast<ArcShape*>(d->shapes()[0]);
  const QPointF raw = App().client->ToDrawing(start);
  EXPECT_FLOAT_EQ(arc->cx, 300);
  EXPECT_FLOAT_EQ(arc->cy, 402);
  EXPECT_FLOAT_EQ(arc->startAngle, AngleFrom(300, 402, float(raw.x()), float(raw.y())));
  EXPECT_NEAR(arc->startAngle, 5.5, 1.5);
  EXPECT_FLOAT_EQ(arc->endAngle, 90);
  EXPECT_FLOAT_EQ(arc->rx, 66);
  EXPECT_EQ(StatusText(), "Arc: Click centre");
}

TEST_F(ShapeToolsTest, LineEndpointDragIsOneUndoableReshape) {
  DispatchCommand(kToolLine);
  Drag(204, 402, 324, 402);
  ASSERT_EQ(d->shapes().Count(), 1);
  auto* line = static_cast<LineShape*>(d->shapes()[0]);
  Tool* editor = line->Editor();
  ASSERT_EQ(editor, CurrentTool());
  // The selection tool attaches the editor and asks about the press.
  editor->BeginEdit(line);
  EXPECT_EQ(editor->HitHandle(327, 399), 2);
  EXPECT_EQ(editor->HitHandle(328, 402), -1);
  EXPECT_EQ(editor->HitHandle(204, 402), 1);
  const int undoable = d->undo().UndoCount();
  Drag(325, 401, 324, 462);
  EXPECT_FLOAT_EQ(line->y2, 462);
  EXPECT_EQ(d->undo().UndoCount(), undoable + 1);
  d->Undo();
  EXPECT_FLOAT_EQ(line->x2, 324);
  EXPECT_FLOAT_EQ(line->y2, 402);
  // A drag cut short by a change of tool leaves the line as it was and records nothing.
  editor->BeginEdit(line);
  Press(204, 402);
  Move(150, 300);
  EXPECT_FLOAT_EQ(line->x1, 150);
  SelectTool(kToolSelection);
  Release(150, 300);
  EXPECT_FLOAT_EQ(line->x1, 204);
  EXPECT_FLOAT_EQ(line->y1, 402);
  EXPECT_EQ(d->undo().UndoCount(), undoable);
}

TEST_F(ShapeToolsTest, TransformDragsApplyTheirRulesAndUndoInOneStep) {
  auto* box = new BoxShape(280, 380, 320, 420);
  ASSERT_EQ(d->AddShape(box), 1);
  const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
  const struct {
    int tool;
    float press[2], release[2];
    Qt::KeyboardModifiers mods;
    float a, b, c, dd;
    const char* status;
  } cases[] = {
      // Shift through 44 degrees snaps down to 30; a clockwise 10 degrees is 350.
      {kToolRotate,
       {396, 402},
       {372, 470},
       shift,
       0.866f,
       0.5f,
       -0.5f,
       0.866f,
       "Rotate: To rotate again, click origin"},
      {kToolRotate, {396, 402}, {396, 384}, {}, 0.985f, -0.174f, 0.174f, 0.985f, nullptr},
      // A press on the origin's x divides by 1: the pointer's distance is the scale.
      {kToolScale, {300, 462}, {336, 492}, {}, 36, 0, 0, 1.5f, nullptr},
      // Shift keeps the aspect; crossing the origin still mirrors that axis.
      {kToolScale, {360, 462}, {240, 474}, shift, -1.2f, 0, 0, 1.2f, nullptr},
      {kToolSkew, {360, 462}, {390, 468}, shift, 1, 0, 0.5f, 1, nullptr},
      // A release straight above the origin mirrors left to right.
      {kToolReflect, {360, 462}, {300, 492}, {}, -1, 0, 0, 1, nullptr},
  };
  for (const auto& c : cases) {
    d->ClearSelection();
    d->Select(box);
    DispatchCommand(c.tool);
    Click(301, 403);
    Press(c.press[0], c.press[1]);
    Move(c.release[0], c.release[1]);
    Release(c.release[0], c.release[1], c.mods);
    const Matrix& m = box->matrix();
    const float got[4] = {m.a, m.b, m.c, m.d}, want[4] = {c.a, c.b, c.c, c.dd};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 0.02) << c.tool << " entry " << i;
    if (c.status) {
      EXPECT_EQ(StatusText(), c.status);
    }
    d->Undo();
    EXPECT_EQ(box->matrix().a, 1);
    EXPECT_EQ(box->matrix().d, 1);
    EXPECT_EQ(box->matrix().tx, 0);
    DispatchCommand(kToolSelection);
  }
}

}  // namespace
