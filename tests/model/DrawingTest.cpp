#include <gtest/gtest.h>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "model/UndoActions.h"
#include "support/ModelTestSupport.h"

namespace {

BoxShape* AddBox(Drawing& d, float x1, float y1, float x2, float y2, float width = 1) {
  auto* box = new BoxShape(x1, y1, x2, y2);
  box->SetLineWidth(width);
  d.AddShape(box);
  return box;
}

void SelectOnly(Drawing& d, std::initializer_list<Shape*> shapes) {
  d.ClearSelection();
  for (Shape* s : shapes) d.Select(s);
}

// Records one harmless change so that a test can see whether the histories were cleared.
void RecordSomething(Drawing& d, Shape* s) {
  SelectOnly(d, {s});
  d.MoveBy(0, 0);
  ASSERT_EQ(d.undo().UndoCount(), 1);
}

TEST(DrawingGroupTest, GroupKeepsSelectionOrderAndUngroupRestoresPlace) {
  Drawing d;
  BoxShape* x = AddBox(d, 0, 0, 1, 1);
  BoxShape* a = AddBox(d, 0, 0, 2, 2);
  BoxShape* y = AddBox(d, 0, 0, 3, 3);
  BoxShape* b = AddBox(d, 0, 0, 4, 4);
  BoxShape* c = AddBox(d, 0, 0, 5, 5);
  RecordSomething(d, x);
  d.modified = 0;

  SelectOnly(d, {c, a, b});
  d.Group();
  ASSERT_EQ(d.shapes().Count(), 3);
  auto* group = static_cast<GroupShape*>(d.shapes()[1]);
  ASSERT_EQ(group->Kind(), kGroupShape);
  EXPECT_EQ(Order(d.shapes()), (std::vector<Shape*>{x, group, y}));
  EXPECT_EQ(Order(*group->children()), (std::vector<Shape*>{c, a, b}));
  EXPECT_EQ(Order(d.selection()), (std::vector<Shape*>{group}));
  EXPECT_EQ(V(d.undo().UndoCount(), d.modified), V(0, 1));

  // The children take the group's place in child order and become selected.
  d.Ungroup();
  EXPECT_EQ(Order(d.shapes()), (std::vector<Shape*>{x, c, a, b, y}));
  EXPECT_EQ(Order(d.selection()), (std::vector<Shape*>{c, a, b}));
}

TEST(DrawingArrangeTest, FrontAndBackFollowSelectionOrder) {
  Drawing d;
  BoxShape* a = AddBox(d, 0, 0, 1, 1);
  BoxShape* b = AddBox(d, 0, 0, 2, 2);
  BoxShape* c = AddBox(d, 0, 0, 3, 3);
  RecordSomething(d, c);

  SelectOnly(d, {b, a});
  d.BringToFront();
  EXPECT_EQ(Order(d.shapes()), (std::vector<Shape*>{c, b, a}));  // the last selected on top
  EXPECT_EQ(d.undo().UndoCount(), 0);

  SelectOnly(d, {c, a});
  d.SendToBack();
  EXPECT_EQ(Order(d.shapes()), (std::vector<Shape*>{a, c, b}));  // the last selected at the bottom
}

TEST(DrawingArrangeTest, AlignUsesStrokedEdgesAndOrientation) {
  Drawing d;
  BoxShape* thin = AddBox(d, 10, 0, 20, 10, 1);    // stroked left edge 9
  BoxShape* thick = AddBox(d, 20, 30, 40, 50, 5);  // stroked left edge 17
  BoxShape* other = AddBox(d, 30, 60, 35, 70, 1);  // stroked left edge 29
  d.SelectAll();
  d.Align(0);
  // The geometry of the thick box differs by the stroke.
  EXPECT_EQ(
      V(BoundsOf(thin, 1).x1, BoundsOf(thick, 1).x1, BoundsOf(other, 1).x1, BoundsOf(thick, 0).x1),
      V(9, 9, 9, 12));
  d.Undo();
  EXPECT_EQ(V(BoundsOf(thick, 0).x1, BoundsOf(other, 0).x1), V(20, 30));

  // Landscape: "&Left Sides" aligns the bottoms in page coordinates.
  d.landscape = 1;
  d.Align(d.AlignModeForItem(0));
  EXPECT_EQ(V(BoundsOf(thick, 1).y1, BoundsOf(other, 1).y1, BoundsOf(other, 0).x1), V(-1, -1, 30));
}

TEST(DrawingArrangeTest, SpaceEvenlyByStrokedEdges) {
  Drawing d;
  // Stroked heights 12 each: bounds [99,111], [69,81], [-1,11].
  BoxShape* top = AddBox(d, 0, 100, 10, 110);
  BoxShape* mid = AddBox(d, 0, 70, 10, 80);
  BoxShape* bottom = AddBox(d, 0, 0, 10, 10);
  SelectOnly(d, {bottom, mid, top});     // sorted by centre, not by selection
  d.SpaceEvenly(d.SpaceModeForItem(0));  // portrait: edges vertically
  // The middle one a gap of (112 - 36) / 2 = 38 below the top.
  EXPECT_EQ(V(BoundsOf(top, 1).y2, BoundsOf(mid, 1).y2, BoundsOf(bottom, 1).y1), V(111, 61, -1));
  d.Undo();

  // Two shapes: nothing moves, but the record is kept.
  int32_t before = d.undo().UndoCount();
  SelectOnly(d, {bottom, top});
  d.SpaceEvenly(0);
  EXPECT_EQ(V(d.undo().UndoCount(), BoundsOf(top, 1).y2), V(before + 1, 111));
}

TEST(DrawingClipboardTest, CopyPasteCutAndStatus) {
  Drawing d;
  BoxShape* box = AddBox(d, 0, 0, 10, 10);
  RecordSomething(d, box);
  d.modified = 0;
  d.Paste();
  EXPECT_EQ(d.status, "Internal clipboard is empty");

  d.Copy();
  EXPECT_EQ(d.status, "1 object copied to internal clipboard");
  EXPECT_EQ(V(d.modified, d.undo().UndoCount()), V(0, 1));
  d.Paste();
  d.Paste();
  EXPECT_EQ(d.status, "1 object pasted from internal clipboard");
  ASSERT_EQ(d.shapes().Count(), 3);
  for (int i = 1; i < 3; ++i) {  // one grid step away, both at the same place
    ExpectRect(BoundsOf(d.shapes()[i], 0), 12, 12, 22, 22);
    EXPECT_NE(d.shapes()[i], d.clipboard()[0]);
  }
  EXPECT_EQ(Order(d.selection()), (std::vector<Shape*>{d.shapes()[2]}));
  EXPECT_EQ(V(d.undo().UndoCount(), d.modified), V(0, 1));

  // Grid spacing 0: the copies land exactly on the originals.
  d.grid.hSpacing = d.grid.vSpacing = 0;
  SelectOnly(d, {box});
  d.Copy();
  d.Paste();
  EXPECT_FLOAT_EQ(BoundsOf(d.shapes()[3], 0).x1, 0);

  // Cut empties the histories, so Undo cannot bring the shapes back.
  d.grid.hSpacing = d.grid.vSpacing = 12;
  RecordSomething(d, box);
  d.SelectAll();
  d.Cut();
  EXPECT_EQ(d.status, "4 objects cut to internal clipboard");
  EXPECT_EQ(V(d.shapes().Count(), d.clipboard().Count(), BoundsOf(box, 0).x1), V(0, 4, 12));
  d.Undo();
  EXPECT_EQ(V(d.shapes().Count(), d.undo().RedoCount()), V(0, 0));
}

TEST(DrawingEditTest, TransformsAndGridSnap) {
  Drawing d;
  BoxShape* box = AddBox(d, 0, 0, 10, 10);
  d.SelectAll();
  d.ScaleBy(2, 2);  // about the middle of the unstroked bounds
  ExpectRect(BoundsOf(box, 0), -5, -5, 15, 15);
  d.Undo();
  d.landscape = 1;
  d.MoveBy(3, 7);  // landscape: the view's axes are swapped
  ExpectRect(BoundsOf(box, 0), 7, 3, 17, 13);
  d.Undo();
  d.RotateBy(90);
  ExpectRect(BoundsOf(box, 0), 0, 0, 10, 10);
  EXPECT_EQ(d.undo().UndoCount(), 1);

  float x = 17, y = -20;
  d.SnapToGrid(&x, &y);
  EXPECT_FLOAT_EQ(x, 17);  // snapping off
  d.grid.snap = 1;
  d.SnapToGrid(&x, &y);
  EXPECT_EQ(V(x, y), V(12, -12));  // trunc(-1.67 + 0.5) = -1
  d.grid.vSpacing = 0;             // no division by zero: that axis stays
  x = 5, y = 7.5f;
  d.SnapToGrid(&x, &y);
  EXPECT_EQ(V(x, y), V(0, 7.5f));
}

TEST(DrawingQueryTest, RectangleQuery) {
  Drawing d;
  AddBox(d, 500, 500, 510, 510);
  BoxShape* first = AddBox(d, 0, 0, 20, 20);
  auto* group = new GroupShape;
  auto* inner = new BoxShape(5, -5, 15, 5);
  group->children()->Append(inner);
  d.AddShape(group);
  auto* line = new LineShape(0, 10, 30, 10);
  d.AddShape(line);

  ShapeList out;
  // A tiny square on the box's left edge and on the line.
  EXPECT_TRUE(ShapesTouchedBy(d.shapes(), -1, 9, 1, 11, 0, &out));
  EXPECT_EQ(Order(out), (std::vector<Shape*>{first, line}));
  out.Clear();
  EXPECT_TRUE(ShapesTouchedBy(d.shapes(), 1, 11, -1, 9, kQueryStopAtFirst, &out));
  EXPECT_EQ(Order(out), (std::vector<Shape*>{first}));
  out.Clear();
  // The group counts through its child; with the texts option the same query runs over
  // the children, so a group of boxes is not found.
  EXPECT_TRUE(ShapesTouchedBy(d.shapes(), 4, -1, 6, 1, 0, &out));
  EXPECT_EQ(Order(out), (std::vector<Shape*>{first, group}));
  out.Clear();
  EXPECT_FALSE(ShapesTouchedBy(d.shapes(), 4, -1, 6, 1, kQueryTextsAndGroupsOnly, &out));
  EXPECT_FALSE(ShapesTouchedBy(d.shapes(), 9, -3, 11, -2, 0, &out));  // inside the group's box
  EXPECT_FALSE(ShapesTouchedBy(d.shapes(), 100, 100, 110, 110, 0, &out));
  EXPECT_EQ(out.Count(), 0);
}

// Large lists keep their bounds between queries (commands are checked against the plain walk
// in HitIndexTest); changes made outside the commands must be seen too.
TEST(DrawingQueryTest, LargeListsSeeChangesMadeOutsideTheCommands) {
  Drawing d;
  for (int i = 0; i < 12000; ++i) {
    float x = float(i % 120) * 5, y = float(i / 120) * 5;
    AddBox(d, x, y, x + 3, y + 3);
  }
  auto first = [&](float x1, float y1, float x2, float y2) -> Shape* {
    ShapeList out;
    ShapesTouchedBy(d.shapes(), x1, y1, x2, y2, kQueryStopAtFirst, &out);
    return out.Count() ? out[0] : nullptr;
  };
  EXPECT_EQ(first(24.5f, 1, 25.5f, 2), d.shapes()[5]);  // its left edge
  // Changed by hand and reported.
  auto* box = static_cast<BoxShape*>(d.shapes()[7]);
  box->x1 = 3000;
  box->x2 = 3010;
  box->InvalidateBounds();
  EXPECT_EQ(first(3004, -1, 3006, 1), box);
  // A list edited directly through its elements is noticed.
  Shape* far = new BoxShape(5000, 0, 5010, 10);
  Shape* replaced = d.shapes()[9];
  d.shapes()[9] = far;
  EXPECT_EQ(first(5004, -1, 5006, 1), far);
  d.shapes()[9] = replaced;
  delete far;
  EXPECT_EQ(first(5004, -1, 5006, 1), nullptr);
  ShapeList all;
  EXPECT_TRUE(ShapesTouchedBy(d.shapes(), -1, -1, 1000, 1000, 0, &all));
  EXPECT_EQ(all.Count(), 11999);  // all but the one moved away
}

}  // namespace
