#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "output/RenderDrawing.h"
#include "output/TraceDriver.h"
#include "support/OutputTestSupport.h"

namespace {

// The first word of every line, joined by spaces: the sequence of driver operations.
std::string Ops(const TraceDriver& t) {
  std::string ops;
  for (const std::string& l : t.lines()) ops += (ops.empty() ? "" : " ") + l.substr(0, l.find(' '));
  return ops;
}

template <typename C>
C* Holding(std::initializer_list<Shape*> children) {
  auto* c = new C;
  for (Shape* s : children) c->children()->Append(s);
  return c;
}

PolygonShape* Triangle() {
  auto* p = new PolygonShape;
  for (Point q : {Point{0, 0}, Point{10, 0}, Point{5, 5}}) p->AddPoint(q.x, q.y);
  return p;
}

// box, group{line, group{oval}}, compound{polygon, polygon}: 8 shapes counted deep.
void AddNestedShapes(Drawing& d) {
  d.AddShape(new BoxShape(0, 0, 10, 10));
  d.AddShape(Holding<GroupShape>(
      {new LineShape(0, 0, 5, 5), Holding<GroupShape>({new OvalShape(5, 5, 2, 2)})}));
  d.AddShape(Holding<CompoundShape>({Triangle(), Triangle()}));
}

}  // namespace

TEST(RenderDrawingTest, WalkBracketsContainersAndCountsProgressDeep) {
  {
    Drawing empty;
    TraceDriver t;
    FakeProgress p;
    EXPECT_EQ(RenderDrawing(empty, &t, 0, 0, &p), 1);
    EXPECT_EQ(Ops(t), "BeginDocument EndDocument");
    EXPECT_EQ(p.total, 0);
  }

  Drawing d;
  AddNestedShapes(d);
  d.shapes()[0]->Hide();  // hidden shapes are still written
  TraceDriver t;
  FakeProgress p;
  EXPECT_EQ(RenderDrawing(d, &t, 1, 0, &p), 1);
  EXPECT_EQ(Ops(t),
            "BeginDocument DrawBox BeginGroup DrawLine BeginGroup DrawOval EndGroup EndGroup "
            "BeginCompound DrawPolygon DrawPolygon EndCompound EndDocument");
  // One step per shape, containers included.
  EXPECT_EQ(V(p.starts, p.total, p.advanced), V(1, 8, 8));
  EXPECT_NE(t.lines()[0].find(" embed=1"), std::string::npos);

  // Without a progress window the walk is the same.
  TraceDriver quiet;
  EXPECT_EQ(RenderDrawing(d, &quiet, 0, 0, nullptr), 1);
  EXPECT_EQ(quiet.lines().size(), t.lines().size());
}

TEST(RenderDrawingTest, CancelStopsTheWalkButTheDocumentIsEnded) {
  Drawing d;
  AddNestedShapes(d);
  // Cancelled on the third step (the line inside the group): nothing more is written, the
  // open group is closed and EndDocument still runs.
  TraceDriver t;
  FakeProgress p(3);
  EXPECT_EQ(RenderDrawing(d, &t, 0, 0, &p), 0);
  EXPECT_EQ(Ops(t), "BeginDocument DrawBox BeginGroup EndGroup EndDocument");
  EXPECT_EQ(p.advanced, 3);

  // Cancelled at once: no shape at all.
  TraceDriver t2;
  FakeProgress p2(1);
  EXPECT_EQ(RenderDrawing(d, &t2, 0, 0, &p2), 0);
  EXPECT_EQ(Ops(t2), "BeginDocument EndDocument");

  // A document that cannot begin gets nothing more.
  TraceDriver refusing;
  refusing.SetBeginResult(0);
  FakeProgress p3;
  EXPECT_EQ(RenderDrawing(d, &refusing, 0, 0, &p3), 0);
  EXPECT_EQ(Ops(refusing), "BeginDocument");
  EXPECT_EQ(p3.advanced, 0);
}

TEST(RenderDrawingTest, PageInfoBoxTitleLandscapeAndGrid) {
  Drawing d;
  d.AddShape(new BoxShape(50, 50, 150, 100));  // 100 points wide
  auto* thick = new BoxShape(60, 60, 70, 70);
  thick->SetLineWidth(20);  // line width never widens the box
  d.AddShape(thick);

  // Borders that would turn the box inside out (-1000, or -40 for the 50-point height) count
  // as 0; 10 grows it by 10.5, truncated; a small negative one shrinks it.
  const std::pair<float, std::array<int32_t, 4>> borders[] = {{-1000, {50, 50, 150, 100}},
                                                              {-40, {50, 50, 150, 100}},
                                                              {10, {39, 39, 160, 110}},
                                                              {-3, {52, 52, 147, 97}}};
  for (auto [border, box] : borders) {
    PageInfo p = MakePageInfo(d, border);
    EXPECT_EQ((std::array{p.llx, p.lly, p.urx, p.ury}), box) << border;
  }
  PageInfo p = MakePageInfo(d, 0);
  EXPECT_EQ(p.title + std::to_string(p.landscape), "Untitled0");

  std::string longName(400, 'n');
  d.path = "/home/user/drawings/" + longName + ".qlx";
  d.landscape = 1;
  d.grid.hSpacing = 18, d.grid.vSpacing = 9, d.grid.show = 1, d.grid.snap = 0;
  p = MakePageInfo(d, 0);
  EXPECT_EQ(p.title + std::to_string(p.landscape), longName + ".qlx1");  // carried whole
  EXPECT_EQ((std::vector<int32_t>(p.grid, p.grid + 4)), (std::vector<int32_t>{18, 9, 1, 0}));
}
