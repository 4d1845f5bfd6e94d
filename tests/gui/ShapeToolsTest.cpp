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
#include "support/ModelTestSupport.h"
#include "support/TestSupport.h"
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
    const Rect r = BoundsOf(s, 0);
    EXPECT_EQ(V(r.x1, r.x2, r.y2), V(300, 300, 402)) << c.tool;
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
  QTest::keyPress(App().client->viewport(), Qt::Key_Shift);
  CurrentTool()->MouseMove(240, 426, 1);
  EXPECT_EQ(StatusText(), "Square: 60");
  Release(240, 426, Qt::ShiftModifier);
  auto* box = static_cast<BoxShape*>(d->shapes()[0]);
  EXPECT_EQ(V(box->x2, box->y2), V(240, 462));
  EXPECT_EQ(StatusText(), "Rectangle: Click a corner, drag to opposite corner");
}

TEST_F(ShapeToolsTest, ArcSnapsCentreAndSweepButNotTheStartPress) {
  DispatchCommand(kToolArc);
  Click(301, 403);
  EXPECT_EQ(StatusText(), "Arc: Click start angle, drag anti-clockwise to end angle");
  const QPoint start = At(331, 405);
  Press(331, 405);
  EXPECT_EQ(StatusText(), "Arc: Drag anti-clockwise to end angle");
  Move(340, 440);
  Move(301, 469);
  Release(301, 469);
  ASSERT_EQ(d->shapes().Count(), 1);
  auto* arc = static_cast<ArcShape*>(d->shapes()[0]);
  const QPointF raw = App().client->ToDrawing(start);
  EXPECT_EQ(V(arc->cx, arc->cy, arc->endAngle, arc->rx), V(300, 402, 90, 66));
  EXPECT_FLOAT_EQ(arc->startAngle, AngleFrom(300, 402, float(raw.x()), float(raw.y())));
  EXPECT_NEAR(arc->startAngle, 5.5, 1.5);
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
  EXPECT_EQ(V(line->y2, d->undo().UndoCount()), V(462, undoable + 1));
  d->Undo();
  EXPECT_EQ(V(line->x2, line->y2), V(324, 402));
  // A drag cut short by a change of tool leaves the line as it was and records nothing.
  editor->BeginEdit(line);
  Press(204, 402);
  Move(150, 300);
  EXPECT_FLOAT_EQ(line->x1, 150);
  SelectTool(kToolSelection);
  Release(150, 300);
  EXPECT_EQ(V(line->x1, line->y1, d->undo().UndoCount()), V(204, 402, undoable));
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
  } cases[] = {
      // Shift through 44 degrees snaps down to 30; a clockwise 10 degrees is 350.
      {kToolRotate, {396, 402}, {372, 470}, shift, 0.866f, 0.5f, -0.5f, 0.866f},
      {kToolRotate, {396, 402}, {396, 384}, {}, 0.985f, -0.174f, 0.174f, 0.985f},
      // A press on the origin's x divides by 1: the pointer's distance is the scale.
      {kToolScale, {300, 462}, {336, 492}, {}, 36, 0, 0, 1.5f},
      // Shift keeps the aspect; crossing the origin still mirrors that axis.
      {kToolScale, {360, 462}, {240, 474}, shift, -1.2f, 0, 0, 1.2f},
      {kToolSkew, {360, 462}, {390, 468}, shift, 1, 0, 0.5f, 1},
      // A release straight above the origin mirrors left to right.
      {kToolReflect, {360, 462}, {300, 492}, {}, -1, 0, 0, 1},
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
    if (&c == cases) {
      EXPECT_EQ(StatusText(), "Rotate: To rotate again, click origin");
    }
    d->Undo();
    EXPECT_EQ(V(box->matrix().a, box->matrix().d, box->matrix().tx), V(1, 1, 0));
    DispatchCommand(kToolSelection);
  }
}

}  // namespace
