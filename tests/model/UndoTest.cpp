#include <gtest/gtest.h>

#include <new>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/UndoActions.h"
#include "model/UndoStack.h"
#include "support/ModelTestSupport.h"

namespace {

// A box that counts the live instances, so a test can see every shape freed exactly once.
int g_liveBoxes = 0;

class CountedBox : public BoxShape {
 public:
  CountedBox(float x1, float y1, float x2, float y2) : BoxShape(x1, y1, x2, y2) { ++g_liveBoxes; }
  CountedBox(const CountedBox& other) : BoxShape(other) { ++g_liveBoxes; }
  ~CountedBox() override { --g_liveBoxes; }
  Shape* Clone() const override { return new (std::nothrow) CountedBox(*this); }
};

// An action that counts how often it was destroyed.
class ProbeAction : public UndoAction {
 public:
  explicit ProbeAction(int* destroyed) : destroyed_(destroyed) {}
  ~ProbeAction() override { ++*destroyed_; }
  void Do() override {}
  void Undo() override {}

 private:
  int* destroyed_;
};

Color FillOf(Shape* s) {
  PaintStyle style;
  s->GetPaintStyle(&style);
  return style.fillColor;
}

TEST(UndoStackTest, HistoriesAreLimitedAndRedoIsLostOnRecord) {
  Drawing d;
  auto* box = new BoxShape(0, 0, 10, 10);
  d.AddShape(box);
  d.SelectAll();
  for (int i = 0; i < 26; ++i) d.MoveBy(1, 0);
  EXPECT_EQ(d.undo().UndoCount(), 25);
  for (int i = 0; i < 25; ++i) d.Undo();
  EXPECT_FALSE(d.undo().Undo());
  // The first move can no longer be undone.
  EXPECT_EQ(V(BoundsOf(box, 0).x1, d.undo().RedoCount()), V(1, 25));

  d.Redo();
  EXPECT_FLOAT_EQ(BoundsOf(box, 0).x1, 2);
  d.modified = 0;
  d.MoveBy(0, 5);
  EXPECT_EQ(V(d.undo().RedoCount(), d.modified), V(0, 1));
  EXPECT_FALSE(d.undo().Redo());

  // Dropped and cleared actions are destroyed exactly once, newest first on Clear.
  UndoStack stack;
  int destroyed = 0;
  for (int i = 0; i < 27; ++i) EXPECT_TRUE(stack.Record(new ProbeAction(&destroyed)));
  EXPECT_EQ(destroyed, 2);
  stack.Undo();
  stack.Record(new ProbeAction(&destroyed));
  EXPECT_EQ(destroyed, 3);  // the undone action left with the redo history
  EXPECT_FALSE(stack.Record(nullptr));
  stack.Clear();
  EXPECT_EQ(destroyed, 28);
  EXPECT_EQ(stack.UndoCount() + stack.RedoCount(), 0);
}

TEST(UndoActionTest, PaintChangesRestoreEachLeaf) {
  Drawing d;
  auto* red = new BoxShape(0, 0, 10, 10);
  auto* green = new BoxShape(20, 0, 30, 10);
  red->SetFillColor(Color{100, 0, 0});
  green->SetFillColor(Color{0, 100, 0});
  d.AddShape(red);
  d.AddShape(green);
  d.SelectAll();
  d.Group();

  ASSERT_TRUE(RunAction(&d, new PaintStyleAction(&d, PaintChange::FillColor(Color{0, 0, 100}))));
  EXPECT_TRUE(FillOf(red) == (Color{0, 0, 100}) && FillOf(green) == (Color{0, 0, 100}));
  d.Undo();
  EXPECT_TRUE(FillOf(red) == (Color{100, 0, 0}) && FillOf(green) == (Color{0, 100, 0}));
  d.Redo();
  EXPECT_EQ(FillOf(green), (Color{0, 0, 100}));
}

TEST(UndoActionTest, ReshapeAndNodeEditsExchangeState) {
  Drawing d;
  auto* box = new BoxShape(0, 0, 10, 10);
  d.AddShape(box);
  // The tool copies the shape, changes it while dragging, then records without running.
  Shape* before = box->Clone();
  box->x2 = 40;
  box->InvalidateBounds();
  ASSERT_TRUE(d.undo().Record(new ReshapeAction(&d, box, before)));
  d.Undo();
  EXPECT_FLOAT_EQ(box->x2, 10);
  d.Redo();
  EXPECT_EQ(V(box->x2, BoundsOf(box, 0).x2), V(40, 40));
  EXPECT_FALSE(ReshapeAction(&d, box, nullptr).Valid());

  auto* poly = new PolygonShape;
  poly->AddPoint(0, 0);
  poly->AddPoint(10, 0);
  d.AddShape(poly);
  GrowArray<Point> old;
  old.CopyFrom(poly->points);
  poly->AddPoint(10, 10);
  poly->Close();
  d.undo().Record(new EditNodesAction(&d, poly, std::move(old), 0));
  d.Undo();
  EXPECT_EQ(V(poly->points.Count(), poly->closed), V(2, 0));
  d.Redo();
  EXPECT_EQ(V(poly->points.Count(), poly->closed), V(3, 1));
}

TEST(UndoOwnershipTest, ActionsOwnShapesExactlyWhenTheStateSaysSo) {
  g_liveBoxes = 0;
  {
    Drawing d;
    // An add action undone and then dropped from the redo history frees its shape.
    ASSERT_TRUE(RunAction(&d, new AddShapeAction(&d, new CountedBox(0, 0, 1, 1))));
    d.Undo();
    EXPECT_EQ(V(d.shapes().Count(), g_liveBoxes), V(0, 1));
    RunAction(&d, new AddShapeAction(&d, new CountedBox(0, 0, 2, 2)));
    EXPECT_EQ(g_liveBoxes, 1);

    // An action built but never run still owns its new shape.
    delete new AddShapeAction(&d, new CountedBox(0, 0, 3, 3));
    EXPECT_EQ(g_liveBoxes, 1);

    // A done delete owns the shapes; once it falls off the history they are freed.
    d.SelectAll();
    d.Clear();
    EXPECT_EQ(g_liveBoxes, 1);
    d.Undo();
    d.Redo();
    d.Undo();
    for (int i = 0; i < 5; ++i) RunAction(&d, new AddShapeAction(&d, new CountedBox(i, 0, 9, 9)));
    d.SelectAll();
    d.Clear();  // deletes all six; the action stays in the history
    for (int i = 0; i < 25; ++i) {
      RunAction(&d, new AddShapeAction(&d, new CountedBox(0, 0, 1, 1)));
      d.ClearSelection();
      d.Select(d.shapes()[d.shapes().Count() - 1]);
      d.MoveBy(1, 1);
    }
    EXPECT_EQ(g_liveBoxes, 25);  // the old delete fell off the history with its six shapes

    // Clipboard, paste, group and ungroup move shapes between owners.
    d.SelectAll();
    d.Cut();
    EXPECT_EQ(g_liveBoxes, 25);
    d.Paste();
    d.Paste();
    EXPECT_EQ(g_liveBoxes, 75);
    d.Group();  // the second paste's 25 copies
    d.Copy();
    EXPECT_EQ(g_liveBoxes, 75);  // the clipboard now holds one group of 25 copies
    d.Ungroup();
    d.Paste();
    EXPECT_EQ(g_liveBoxes, 100);
    d.Group();  // a group inside a group comes out one level per command
    d.Ungroup();
    d.Ungroup();
    EXPECT_EQ(V(d.shapes().Count(), CountShapesDeep(d.shapes())), V(75, 75));
    d.SelectAll();
    d.Clear();
    d.Undo();
    d.Redo();
    d.Undo();
    EXPECT_EQ(d.shapes().Count(), 75);
    d.NewDrawing();
    EXPECT_EQ(g_liveBoxes, 25);  // the clipboard's group remains
    // The drawing goes away holding an undone add in its redo history.
    RunAction(&d, new AddShapeAction(&d, new CountedBox(0, 0, 1, 1)));
    d.Undo();
    EXPECT_EQ(g_liveBoxes, 26);
  }
  EXPECT_EQ(g_liveBoxes, 0);
}

}  // namespace
