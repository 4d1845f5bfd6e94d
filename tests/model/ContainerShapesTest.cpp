#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "output/OutputDriver.h"

namespace {

struct Painted {
  bool fill;
  int mode;
  int subpaths;
  GState state;
};

// Records what reaches the device: one entry per fill or stroke, with its subpath count.
class PathRecorder : public PathPainter {
 public:
  void Stroke(GraphicsState& gs, int mode) override { Note(gs, false, mode); }
  void Fill(GraphicsState& gs, int mode) override { Note(gs, true, mode); }
  void Image(GraphicsState&, const ImageData&) override {}
  std::vector<Painted> calls;

 private:
  void Note(GraphicsState& gs, bool fill, int mode) {
    int moves = 0;
    for (const PathElement& e : gs.path()) moves += e.kind == kPathMoveTo;
    calls.push_back(Painted{fill, mode, moves, gs.state()});
  }
};

class CallDriver : public OutputDriver {
 public:
  int32_t BeginDocument(const PageInfo*, int32_t, ProgressDialog*) override { return 1; }
  void EndDocument(ProgressDialog*) override {}
  void BeginGroup() override { calls.push_back("u"); }
  void EndGroup() override { calls.push_back("U"); }
  void BeginCompound() override { calls.push_back("*u"); }
  void EndCompound() override { calls.push_back("*U"); }
  void DrawBox(const PaintStyle*, const Matrix*, float, float, float, float) override {
    calls.push_back("Bx");
  }
  void DrawLine(const PaintStyle*, const Matrix*, float, float, float, float, const Arrowhead*,
                const Arrowhead*) override {
    calls.push_back("Ln");
  }
  void DrawPolygon(const PaintStyle*, const Matrix*, const Point*, int32_t, int32_t) override {
    calls.push_back("Pg");
  }
  void DrawCurve(const PaintStyle*, const Matrix*, const CurveNode*, int32_t, int32_t) override {
    calls.push_back("Cv");
  }
  std::vector<std::string> calls;
};

class SelectedMarker : public HandleMarker {
 public:
  void Handle(int32_t, int32_t, int selected) override { styles.push_back(selected); }
  void CentreMark(int32_t, int32_t) override {}
  void ControlMark(int32_t, int32_t) override {}
  void GuideLine(int32_t, int32_t, int32_t, int32_t) override {}
  std::vector<int> styles;
};

template <typename T>
T* Add(ContainerShape* c, T* child) {
  c->children()->Append(child);
  return child;
}

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheGraphicsState().Reset();
    SetPathPainter(&painter);
  }
  void TearDown() override {
    SetPathPainter(nullptr);
    SetHandleMarker(nullptr);
  }
  PathRecorder painter;
};

}  // namespace

TEST_F(ContainerTest, ChangesReachEveryChildAndReadsComeFromTheEnds) {
  GroupShape group;
  PaintStyle untouched;
  untouched.lineWidth = 9;
  group.GetPaintStyle(&untouched);  // no children: nothing read
  EXPECT_FLOAT_EQ(untouched.lineWidth, 9);

  BoxShape* box = Add(&group, new BoxShape(0, 0, 10, 10));
  LineShape* line = Add(&group, new LineShape(0, 0, 5, 5));
  box->SetArrows(Arrowhead{1, 0}, Arrowhead{0, 1});
  line->SetArrows(Arrowhead{0, 3}, Arrowhead{2, 2});
  box->SetLineWidth(7);
  line->SetLineWidth(2);

  PaintStyle ps;
  group.GetPaintStyle(&ps);
  EXPECT_FLOAT_EQ(ps.lineWidth, 7);  // the first child's
  Arrowhead l, r;
  group.GetArrows(&l, &r);
  EXPECT_EQ(l, (Arrowhead{0, 3}));  // the last child's
  EXPECT_EQ(r, (Arrowhead{2, 2}));

  group.SetFillColor(Color{1, 2, 3});
  group.SetDash(2);
  EXPECT_EQ(box->style().fillOn, 1);
  EXPECT_EQ(line->style().fillColor, (Color{1, 2, 3}));
  EXPECT_EQ(line->style().dash, 2);
  group.SetNoStroke();
  EXPECT_EQ(box->style().strokeOn + line->style().strokeOn, 0);
  group.SetArrows(Arrowhead{1, 1}, Arrowhead{1, 1});
  EXPECT_EQ(box->rightArrow(), (Arrowhead{1, 1}));

  group.Move(10, 20);
  group.Scale(0, 0, 2, 2);
  EXPECT_FLOAT_EQ(box->matrix().tx, 20);
  EXPECT_FLOAT_EQ(line->matrix().ty, 40);
  EXPECT_FLOAT_EQ(group.matrix().tx, 0);  // the container itself stays put
  Rect b;
  group.GetBounds(&b, 0);
  EXPECT_FLOAT_EQ(b.x1, 20);
  EXPECT_FLOAT_EQ(b.y2, 60);

  EXPECT_EQ(group.HitInterior(25, 45), 1);          // inside the filled box
  EXPECT_EQ(group.TouchesRect(28, 48, 32, 52), 1);  // on the line, inside the box
  EXPECT_EQ(group.TouchesRect(100, 100, 110, 110), 0);

  GroupShape empty;
  empty.GetBounds(&b, 1);
  EXPECT_TRUE(RectIsEmpty(b));
}

TEST_F(ContainerTest, CompoundPaintsOnePathWithItsFirstChildsStyle) {
  CompoundShape ring;
  BoxShape* outer = Add(&ring, new BoxShape(0, 0, 100, 100));
  Add(&ring, new BoxShape(25, 25, 75, 75));
  outer->SetFillColor(Color{100, 0, 0});
  outer->SetLineWidth(3);
  ring.Draw(1);
  ASSERT_EQ(painter.calls.size(), 2u);
  EXPECT_TRUE(painter.calls[0].fill);
  EXPECT_EQ(painter.calls[0].subpaths, 2);
  EXPECT_FLOAT_EQ(painter.calls[0].state.red, 1);
  EXPECT_FALSE(painter.calls[1].fill);
  EXPECT_EQ(painter.calls[1].subpaths, 2);
  EXPECT_FLOAT_EQ(painter.calls[1].state.lineWidth, 3);
  EXPECT_EQ(ring.style(), outer->style());

  painter.calls.clear();
  ring.Draw(0);
  ASSERT_EQ(painter.calls.size(), 1u);
  EXPECT_EQ(painter.calls[0].subpaths, 2);
  EXPECT_FLOAT_EQ(painter.calls[0].state.lineWidth, 0);

  // A group paints every visible member on its own.
  painter.calls.clear();
  GroupShape group;
  Add(&group, new BoxShape(0, 0, 1, 1))->SetFillColor(Color{});
  Add(&group, new LineShape(0, 0, 1, 1))->Hide();
  Add(&group, new OvalShape(0, 0, 1, 1));
  group.Draw(1);
  ASSERT_EQ(painter.calls.size(), 3u);  // box fill and stroke, oval stroke
  for (const Painted& p : painter.calls) EXPECT_EQ(p.subpaths, 1);
  EXPECT_EQ(TheGraphicsState().SaveDepth(), 0);

  SelectedMarker marker;
  SetHandleMarker(&marker);
  group.DrawHandles(1);
  EXPECT_EQ(marker.styles.size(), 4u + 2u + 4u);  // box, hidden line, oval
  for (int s : marker.styles) EXPECT_EQ(s, 0);
}

TEST_F(ContainerTest, WriteBracketsChildrenAndNests) {
  GroupShape group;
  Add(&group, new BoxShape(0, 0, 1, 1));
  CompoundShape* inner = Add(&group, new CompoundShape);
  Add(inner, new LineShape(0, 0, 1, 1));
  Add(inner, new PolygonShape);
  Add(&group, new CurveShape);
  CallDriver d;
  group.Write(d);
  std::vector<std::string> want = {"u", "Bx", "*u", "Ln", "Pg", "*U", "Cv", "U"};
  EXPECT_EQ(d.calls, want);
}

TEST_F(ContainerTest, ClonesAreIndependentAndReleaseHandsChildrenOver) {
  auto* group = new GroupShape;
  BoxShape* box = Add(group, new BoxShape(0, 0, 10, 10));
  auto* inner = Add(group, new CompoundShape);
  Add(inner, new OvalShape(1, 1, 1, 1));
  group->Hide();

  std::unique_ptr<Shape> copy(group->Clone());
  ASSERT_TRUE(copy);
  ASSERT_EQ(copy->Kind(), kGroupShape);
  EXPECT_EQ(copy->IsHidden(), 1);
  auto* cg = static_cast<GroupShape*>(copy.get());
  ASSERT_EQ(cg->children()->Count(), 2);
  EXPECT_NE((*cg->children())[0], box);
  auto* ci = static_cast<CompoundShape*>((*cg->children())[1]);
  ASSERT_EQ(ci->Kind(), kCompoundShape);
  EXPECT_NE(ci, inner);
  EXPECT_EQ(ci->children()->Count(), 1);

  group->Move(50, 0);
  box->x2 = 99;
  auto* cbox = static_cast<BoxShape*>((*cg->children())[0]);
  EXPECT_FLOAT_EQ(cbox->matrix().tx, 0);
  EXPECT_FLOAT_EQ(cbox->x2, 10);
  EXPECT_FLOAT_EQ((*ci->children())[0]->matrix().tx, 0);

  // Ungroup: the children leave before the empty container is destroyed.
  ShapeList kept;
  for (Shape* s : *group->children()) kept.Append(s);
  group->ReleaseChildren();
  EXPECT_TRUE(group->children()->Empty());
  delete group;
  EXPECT_FLOAT_EQ(box->matrix().tx, 50);  // still alive
  DestroyShapes(&kept);
  EXPECT_TRUE(kept.Empty());
}
